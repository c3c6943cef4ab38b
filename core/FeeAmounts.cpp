#include "core/FeeAmounts.h"

#include "text/Conversions.h"

#include <QStringBuilder>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qvl::fees {

namespace {

// Rates carry at most four decimals as typed; in ten-thousandths of a percent the VAT is
// integer arithmetic, exact for every amount the limits let through.
constexpr qint64 kRateScale = 1'000'000; // 100 % in ten-thousandths of a percent

qint64 rateUnits(double ratePercent)
{
    return std::llround(std::clamp(ratePercent, -1e6, 1e6) * 10000);
}

// a · m / d rounded half away from zero, d > 0, exact in 64 bits without a wider type: a is
// split as q · d + r, so a · m / d = q · m + r · m / d, where |r · m| < d · |m| (at most 10^16
// for the rates and scales here) and q · m fits for every amount the limits let through. The
// two parts have the sign of a · m, so rounding the fraction rounds the whole.
qint64 mulDivRounded(qint64 a, qint64 m, qint64 d)
{
    const qint64 q = a / d;
    const qint64 rm = (a % d) * m;
    const qint64 fraction = (2 * (rm < 0 ? -rm : rm) + d) / (2 * d);
    return q * m + (rm < 0 ? -fraction : fraction);
}

QString euros(qint64 cents)
{
    return formatNumber(centsToEuros(cents), QStringLiteral("###,##0.00"));
}

// The shares of a rate's VAT per fee: each fee's own VAT, the largest fee of the rate taking
// what is left, so that the shares add up to the rate's VAT. The rounding cent then never
// lands on a small fee whose own VAT would show it plainly (0,01 € of VAT on 0,01 €).
void shareVat(const SettleInputs &in, Buchung &b, std::vector<int> fees, const MwstSatz &rate)
{
    auto largest = fees.begin();
    for (auto it = fees.begin(); it != fees.end(); ++it)
        if (std::llabs(b.BetragCent[std::size_t(*it)]) >= std::llabs(b.BetragCent[std::size_t(*largest)]))
            largest = it; // of equal fees the last
    std::rotate(largest, largest + 1, fees.end());
    qint64 vatLeft = rate.mwstCent;
    qint64 netLeft = rate.nettoCent;
    for (std::size_t i = 0; i < fees.size(); ++i) {
        const auto k = std::size_t(fees[i]);
        const bool last = i + 1 == fees.size();
        if (in.netto) {
            b.NettoCent[k] = b.BetragCent[k];
            b.SteuerCent[k] = last ? vatLeft : vatOf(b.NettoCent[k], rate.satz);
            b.BruttoCent[k] = b.NettoCent[k] + b.SteuerCent[k];
        } else {
            const GrossSplit own = splitGross(b.BetragCent[k], rate.satz);
            b.NettoCent[k] = last ? netLeft : own.net;
            b.SteuerCent[k] = last ? vatLeft : own.vat;
            b.BruttoCent[k] = b.BetragCent[k];
        }
        vatLeft -= b.SteuerCent[k];
        netLeft -= b.NettoCent[k];
    }
}

} // namespace

qint64 vatOf(qint64 netCents, double ratePercent)
{
    return mulDivRounded(netCents, rateUnits(ratePercent), kRateScale);
}

GrossSplit splitGross(qint64 grossCents, double ratePercent)
{
    const qint64 units = rateUnits(ratePercent);
    if (units <= 0)
        return {grossCents, 0};
    if (grossCents < 0) {
        const GrossSplit positive = splitGross(-grossCents, ratePercent);
        return {-positive.net, -positive.vat};
    }
    const qint64 estimate = mulDivRounded(grossCents, kRateScale, kRateScale + units);
    for (qint64 net = estimate + 1; net >= estimate - 2; --net) {
        const qint64 vat = vatOf(net, ratePercent);
        if (net + vat <= grossCents)
            return {net, vat};
    }
    return {estimate, grossCents - estimate}; // not reached: the VAT grows by at most a cent per cent
}

QString vatText(const MwstSatz &rate, bool vatOnTop)
{
    return rate.text % u"% MwSt " % euros(rate.mwstCent) % (vatOnTop ? u"€ auf " : u"€ aus ")
           % euros(vatOnTop ? rate.nettoCent : rate.bruttoCent) % u'€';
}

void settleAmounts(const SettleInputs &in, Buchung &b)
{
    b.MwstSaetze.clear();
    std::vector<std::vector<int>> slotsOfRate;
    for (int k = 0; k < kFeeSlots; ++k) {
        const auto slot = std::size_t(k);
        b.BetragCent[slot] = in.ticked[slot] ? toCents(b.Betrag[slot]) : 0;
        b.NettoCent[slot] = b.BetragCent[slot];
        b.BruttoCent[slot] = b.BetragCent[slot];
        b.SteuerCent[slot] = 0;
        const Vat &vat = in.vat[slot];
        if (!in.ticked[slot] || !vat.applies || b.BetragCent[slot] == 0)
            continue;
        auto rate = std::find_if(b.MwstSaetze.begin(), b.MwstSaetze.end(),
                                 [&](const MwstSatz &r) { return r.satz == vat.rate; });
        if (rate == b.MwstSaetze.end()) {
            rate = b.MwstSaetze.insert(b.MwstSaetze.end(), MwstSatz{vat.rate, vat.label, 0, 0, 0});
            slotsOfRate.emplace_back();
        }
        rate->bruttoCent += b.BetragCent[slot]; // the net on top, made gross below
        slotsOfRate[std::size_t(rate - b.MwstSaetze.begin())].push_back(k);
    }

    for (std::size_t r = 0; r < b.MwstSaetze.size(); ++r) {
        MwstSatz &rate = b.MwstSaetze[r];
        if (in.netto) {
            rate.nettoCent = rate.bruttoCent;
            rate.mwstCent = vatOf(rate.nettoCent, rate.satz);
            rate.bruttoCent = rate.nettoCent + rate.mwstCent;
        } else {
            const GrossSplit split = splitGross(rate.bruttoCent, rate.satz);
            rate.nettoCent = split.net;
            rate.mwstCent = split.vat;
        }
        shareVat(in, b, slotsOfRate[r], rate);
    }

    b.NettoSummeCent = 0;
    b.MwstSummeCent = 0;
    b.SummeCent = 0;
    for (int k = 0; k < kFeeSlots; ++k) {
        const auto slot = std::size_t(k);
        b.NettoSummeCent += b.NettoCent[slot];
        b.MwstSummeCent += b.SteuerCent[slot];
        b.SummeCent += b.BruttoCent[slot];
        b.Steuer[slot] = centsToEuros(b.SteuerCent[slot]);
        b.SteuerText[slot].clear();
    }
    for (std::size_t r = 0; r < b.MwstSaetze.size(); ++r)
        b.SteuerText[std::size_t(slotsOfRate[r].front())] = vatText(b.MwstSaetze[r], in.netto);
}

} // namespace qvl::fees
