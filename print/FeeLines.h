#pragma once
// The fee breakdown of a letter: per ticked fee slot a header line naming the columns and
// a detail text showing how the amount came about, aligned with blanks for a fixed-pitch
// font.

#include "core/Buchung.h"

#include <QString>
#include <array>

namespace qvl {

// Customer layouts, chosen by the setting "Firma".
enum class LayoutVariant { Standard, Orvelde, Farnwinkel, Kranstede, Mosselwang };
LayoutVariant layoutVariant(const QString &strFirma);

// The form's values the lines read, taken once per run (see params/InvoiceFromForm).
struct FeeLineSettings {
    bool formula = false;      // rbEinstellung(2): slot 1 by formula
    bool fixedByClass = false; // rbEinstellung(1): slot 1 fixed by hectare class
    bool scale = false;        // rbEinstellung(3): slot 1 by hectare scale
    QString haMindestbetrag, haZuschlag, preisMindestbetrag, preisZuschlag, hoechstbeitrag;
    std::array<QString, 5> mwst; // the VAT rates as typed
    std::array<QString, 5> labels; // the fee names
    LayoutVariant variant = LayoutVariant::Standard;
    QString waehrung;
    bool netto = false; // VAT on top of the fee
};

struct FeeLines {
    QString header;         // "BeitragKopf"n
    QString detail;         // "Beitrag"n; further lines start with CR
    bool vatOnTop = false;  // the detail ends in a VAT remark added on top
};

// The lines of slot k (0..4) of one owner.
FeeLines BuildFeeLines(const FeeLineSettings &settings, const Buchung &b, int k);

} // namespace qvl
