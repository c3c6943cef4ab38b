#pragma once
// Records built by hand as the fee calculation would leave them: the cents fields every
// writer reads, filled from the euro fields a test sets (Betrag, Steuer); the total a test
// sets in SummeCent itself.

#include "text/Conversions.h"
#include "core/Buchung.h"

#include <cmath>

namespace qvl::test {

inline Buchung &withCents(Buchung &b, bool vatOnTop = false)
{
    b.NettoSummeCent = b.MwstSummeCent = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        b.BetragCent[k] = toCents(b.Betrag[k]);
        b.SteuerCent[k] = toCents(b.Steuer[k]);
        b.NettoCent[k] = vatOnTop ? b.BetragCent[k] : b.BetragCent[k] - b.SteuerCent[k];
        b.BruttoCent[k] = vatOnTop ? b.BetragCent[k] + b.SteuerCent[k] : b.BetragCent[k];
        b.NettoSummeCent += b.NettoCent[k];
        b.MwstSummeCent += b.SteuerCent[k];
    }
    return b;
}

inline Buchungen &withCents(Buchungen &records, bool vatOnTop = false)
{
    for (Buchung &b : records)
        withCents(b, vatOnTop);
    return records;
}

inline Buchungen withCents(Buchungen &&records, bool vatOnTop = false)
{
    withCents(records, vatOnTop);
    return std::move(records);
}

} // namespace qvl::test
