#include "core/FeeAmounts.h"

#include <QStringBuilder>

#include <algorithm>

namespace qvl::fees {

namespace {

QString euros(Money amount)
{
    return amount.german();
}

// The shares of a rate's VAT per fee: each fee's own VAT, the largest fee of the rate taking
// what is left, so that the shares add up to the rate's VAT. The rounding cent then never
// lands on a small fee whose own VAT would show it plainly (0,01 € of VAT on 0,01 €).
void shareVat(const SettleInputs &in, Buchung &b, std::vector<int> fees, const MwstSatz &rate)
{
    auto largest = fees.begin();
    for (auto it = fees.begin(); it != fees.end(); ++it)
        if (b.BetragCent[std::size_t(*it)].abs() >= b.BetragCent[std::size_t(*largest)].abs())
            largest = it; // of equal fees the last
    std::rotate(largest, largest + 1, fees.end());
    Money vatLeft = rate.mwstCent;
    Money netLeft = rate.nettoCent;
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

GrossSplit splitGross(Money gross, double ratePercent)
{
    const qint64 units = Money::percentUnits(ratePercent);
    if (units <= 0)
        return {gross, Money()};
    if (gross < Money()) {
        const GrossSplit positive = splitGross(-gross, ratePercent);
        return {-positive.net, -positive.vat};
    }
    const Money estimate = gross.scaled(Money::kPercentScale, Money::kPercentScale + units);
    for (Money net = estimate + Money(1); net >= estimate - Money(2); net -= Money(1)) {
        const Money vat = vatOf(net, ratePercent);
        if (net + vat <= gross)
            return {net, vat};
    }
    return {estimate, gross - estimate}; // not reached: the VAT grows by at most a cent per cent
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
        b.BetragCent[slot] = in.ticked[slot] ? Money::fromEuros(b.Betrag[slot]) : Money();
        b.NettoCent[slot] = b.BetragCent[slot];
        b.BruttoCent[slot] = b.BetragCent[slot];
        b.SteuerCent[slot] = Money();
        const Vat &vat = in.vat[slot];
        if (!in.ticked[slot] || !vat.applies || b.BetragCent[slot].isZero())
            continue;
        auto rate = std::find_if(b.MwstSaetze.begin(), b.MwstSaetze.end(),
                                 [&](const MwstSatz &r) { return r.satz == vat.rate; });
        if (rate == b.MwstSaetze.end()) {
            rate = b.MwstSaetze.insert(b.MwstSaetze.end(), MwstSatz{vat.rate, vat.label, {}, {}, {}});
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

    b.NettoSummeCent = Money();
    b.MwstSummeCent = Money();
    b.SummeCent = Money();
    for (int k = 0; k < kFeeSlots; ++k) {
        const auto slot = std::size_t(k);
        b.NettoSummeCent += b.NettoCent[slot];
        b.MwstSummeCent += b.SteuerCent[slot];
        b.SummeCent += b.BruttoCent[slot];
        b.SteuerText[slot].clear();
    }
    for (std::size_t r = 0; r < b.MwstSaetze.size(); ++r)
        b.SteuerText[std::size_t(slotsOfRate[r].front())] = vatText(b.MwstSaetze[r], in.netto);
}

} // namespace qvl::fees
