#pragma once
// The one place where an owner's bill becomes whole cents: each fee as its line prints it,
// the VAT of each rate once from that rate's total, the amount due as the sum of what is
// printed. The letter, the bank file, the stored fee, the lists, the accounting files and
// the e-invoice all take these amounts.

#include "core/Buchung.h"

#include <QString>
#include <array>

namespace qvl::fees {

struct Vat {
    bool applies = false; // the rate box holds a number
    double rate = 0;
    QString label;        // the rate as typed, trimmed
};

// What settling the amounts takes of the run's inputs: the ticked fees, their VAT rates and
// whether the fees are net (VAT on top).
struct SettleInputs {
    std::array<bool, kFeeSlots> ticked{};
    std::array<Vat, kFeeSlots> vat;
    bool netto = false;
};

// The VAT of a net amount at a rate in percent, rounded commercially to cents.
inline Money vatOf(Money net, double ratePercent) { return net.timesPercent(ratePercent); }

// A gross amount that includes VAT, split so that the VAT is exactly the net × rate,
// rounded, as an e-invoice reader checks it: the largest net whose VAT still fits into the
// gross. A gross no net reaches exactly (1.234,56 at 19 %) keeps one cent apart:
// net + vat is then gross − 0,01, and the VAT is never more than the gross contains.
struct GrossSplit {
    Money net;
    Money vat;
};
GrossSplit splitGross(Money gross, double ratePercent);

// After the fee calculation put the ticked fees into Betrag (rounded to cents): fills
// BetragCent, NettoCent, SteuerCent, BruttoCent, MwstSaetze, the three sums, Steuer,
// SteuerText (one text per rate, at the rate's first fee). A fee carries VAT when
// its rate box holds a number and the fee is not 0,00.
void settleAmounts(const SettleInputs &in, Buchung &b);

// "19% MwSt 0,41€ auf 2,15€" (VAT on top) or "19% MwSt 2,38€ aus 14,90€" (included).
QString vatText(const MwstSatz &rate, bool vatOnTop);

} // namespace qvl::fees
