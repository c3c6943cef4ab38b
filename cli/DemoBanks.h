#pragma once
// The German banks of the demo's owners and creditors, and the IBANs built on them.

#include "core/Iban.h"

#include <QString>

namespace qvl::demo {

struct Bank {
    const char *code;
    const char *name;
    const char *bic;
};
inline constexpr Bank kGermanBanks[] = {
    {"70150000", "Stadtsparkasse München", "SSKMDEMMXXX"},
    {"70020270", "UniCredit Bank - HypoVereinsbank", "HYVEDEMMXXX"},
    {"70070010", "Deutsche Bank München", "DEUTDEMMXXX"},
    {"37040044", "Commerzbank Köln", "COBADEFFXXX"},
    {"70190000", "Münchner Bank", "GENODEF1M01"},
    {"70050000", "Bayerische Landesbank", "BYLADEMM"},
};

inline QString ibanOf(const QString &country, const QString &bban)
{
    return country + ibanCheckDigits(country, bban) + bban;
}

} // namespace qvl::demo
