#include "fees/FeeModes.h"

#include "text/Conversions.h"

#include <algorithm>
#include <cmath>

namespace qvl::fees {

namespace {

// The decimal roundings cost far more than the arithmetic around them, so the helpers
// below ask for the decimal value only within a hair of the boundary that matters;
// everywhere else the binary value gives the same answer.
constexpr double kHair = 1e-6;

// Int() of the decimal value the double shows: 0.0001 + 0.9999 is 1, not 0.9999999….
double wholePart(double value)
{
    const double below = std::floor(value);
    if (below + 1 - value > kHair)
        return below;
    return std::floor(roundHalfAwayFromZero(value, 9));
}

bool hasFraction(double value)
{
    const double fraction = value - std::floor(value);
    if (fraction == 0 || fraction > kHair)
        return fraction != 0;
    return !isZero(roundHalfAwayFromZero(fraction, 9));
}

} // namespace

qint64 tenThousandths(double value)
{
    constexpr double kLimit = 1e15;
    return std::llround(std::clamp(value * 10000, -kLimit, kLimit));
}

double slotHectares(double hektar, bool roundToWhole)
{
    const double whole = std::floor(hektar);
    if (!roundToWhole || whole == hektar)
        return hektar;
    const double fraction = hektar - whole;
    // Compared as a decimal: 5.49 - 5 is 0.4900000000000002 in binary.
    const bool down = std::abs(fraction - 0.49) > kHair ? fraction < 0.49
                                                        : roundHalfAwayFromZero(fraction, 9) <= 0.49;
    return down ? whole : whole + 1;
}

// Fixed amount of the hectare class that holds h (txtStaffel: limit, amount, limit, …).
double classAmount(const FeeInputs &in, double h)
{
    const auto &s = in.staffel;
    const auto &limit = in.limits;
    const qint64 area = tenThousandths(h);
    if (area == 0)
        return s[21];
    if (0 <= area && area <= limit[0])
        return s[1];
    for (int j = 1; j <= 9; ++j)
        if (limit[j - 1] < area && area <= limit[j])
            return s[2 * j + 1];
    if (area > limit[9])
        return s[19];
    return 0; // negative hectares, or limits out of order
}

double formulaAmount(const FeeInputs &in, double h, const QDate &joined, FormulaTerms *terms)
{
    FormulaTerms applied;
    double amount = in.preisMindestbetrag;
    const qint64 rest = tenThousandths(h) - in.haMindestbetrag;
    if (rest > 0) // each started block adds one surcharge; the caller refused steps of 0
        amount += double((rest + in.haZuschlag - 1) / in.haZuschlag) * in.preisZuschlag;
    if (in.hoechstbeitrag < amount) {
        amount = in.hoechstbeitrag;
        applied.capped = true;
    }
    // The share of the fee for the months left in the business year after the month of joining.
    if (in.proRataYear)
        if (const std::optional<int> months = monthsLeft(*in.proRataYear, joined); months && *months < 12) {
            amount = amount * *months / 12;
            applied.months = *months;
        }
    if (terms)
        *terms = applied;
    return amount;
}

std::optional<int> monthsLeft(const BusinessYear &year, const QDate &joined)
{
    if (!joined.isValid() || joined < year.start || joined > year.end)
        return std::nullopt;
    return (year.end.year() * 12 + year.end.month()) - (joined.year() * 12 + joined.month());
}

// Adds up the scale's steps up to the hectares billed: each step passed in full, the step
// that holds them for the part of it they reach. One figure judges and computes every step
// — the hectares as the slot's rounding flag left them, rounded up to whole ones when the
// box says so — so the amount never falls below the base and grows with the area. A limit
// not above the one before it ends the scale: hectares above the last limit add nothing.
double scaleAmount(const FeeInputs &in, Buchung &b, double h)
{
    const auto &s = in.staffel;
    const qint64 billed = scaleHectares(in, h);
    double amount = s[21];
    qint64 lower = 0;
    for (int j = 0; j <= 18; j += 2) {
        const qint64 limit = in.limits[std::size_t(j / 2)];
        if (limit <= lower)
            break;
        const double price = s[j + 1];
        b.Weitere[0] = price;
        const qint64 reached = std::min(billed, limit);
        amount += double(reached - lower) / 10000 * price;
        if (billed <= limit)
            break;
        lower = limit;
    }
    return amount;
}

qint64 scaleHectares(const FeeInputs &in, double h)
{
    const qint64 area = std::max<qint64>(0, tenThousandths(h));
    return in.rundeHaAuf ? (area + 9999) / 10000 * 10000 : area;
}

double ownAmount(const Buchung &b, int k, double h)
{
    const double G = b.Ha[k];
    const double P1 = b.Flachenbertrag[k];
    const double P2 = b.Weitere[k];
    const double B = b.Fixbeitrag[k];
    const qint64 area = tenThousandths(h);
    if (area == 0)
        return B;
    if (area < tenThousandths(G))
        return h * P1 + B;
    if (b.Angefangene[k]) {
        const double above = hasFraction(h) ? wholePart(h - G + 0.9999) : wholePart(h - G);
        return wholePart(G + 0.9999) * P1 + B + above * P2;
    }
    return G * P1 + B + (h - G) * P2;
}

} // namespace qvl::fees
