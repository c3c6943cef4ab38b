#include "print/FeeLines.h"

#include "text/Conversions.h"

#include <cmath>

namespace qvl {

namespace {

const QString kMoney = QStringLiteral("###,##0.00");

QString spaces(qsizetype n)
{
    return QString(qMax<qsizetype>(0, n), u' ');
}

// Right-aligned in `width` characters; a longer value widens its column instead of
// being cut.
QString right(const QString &text, int width)
{
    return spaces(width - text.size()) + text;
}

// The label in its 27-character column; a longer label keeps a blank after it.
QString labelColumn(const QString &label)
{
    if (label.size() > 27)
        return label + u' ';
    return label + spaces(27 - label.size());
}

// Rounded once, commercially, as every amount of the letter.
QString money(double value)
{
    return formatNumber(value, kMoney);
}

// A price or base amount as the owner's parameters give it: with two decimals, or with four
// where it has more, so that the line's amount can be rebuilt from it.
QString price(double value)
{
    const double twoPlaces = roundHalfAwayFromZero(value, 2);
    return formatNumber(value, std::abs(value - twoPlaces) < 1e-9 ? kMoney : QStringLiteral("###,##0.0000"));
}

QString cents(Money value)
{
    return value.german();
}

// A typed value in the money format; a text that is no amount stays as typed.
QString moneyText(const QString &text)
{
    const auto n = parseGermanAmount(text);
    return n ? formatNumber(*n, kMoney) : text;
}

QString hectares(double value)
{
    return formatNumber(value, QStringLiteral("###,##0.0000"));
}

// " Gesamt" over the seven characters from position 88 (counted from 1).
QString withTotalColumn(QString header)
{
    const QString total = QStringLiteral(" Gesamt");
    if (header.size() < 87 + total.size())
        header += spaces(87 + total.size() - header.size());
    // A long figure before it is not written over: the column moves to the right.
    qsizetype end = header.size();
    while (end > 0 && header.at(end - 1) == u' ')
        --end;
    if (end > 87)
        return header.left(end) + total + header.mid(end + total.size());
    header.replace(87, total.size(), total);
    return header;
}

bool twoTiers(const Buchung &b, int k)
{
    return b.HaBerechnet[k] > b.Ha[k] && b.Ha[k] > 0 && b.Weitere[k] > 0;
}

// The minimum fee the amount was held to. The form's modes compute fee 1 without the
// owner's minimum: printing it there would name a figure the amount does not follow.
double appliedMinimum(const FeeLineSettings &s, const Buchung &b, int k)
{
    if (k == 0 && (s.formula || s.fixedByClass || s.scale))
        return 0;
    return b.Mindestbeitrag[k];
}

qint64 tenThousandthsOf(double ha)
{
    return std::llround(ha * 10000);
}

// The hectares above the threshold as the fee calculation bills them: the hectares billed
// (whole ones with the slot's rounding) less the threshold, counted in started whole
// hectares when the owner's parameters say so.
double billedAbove(const Buchung &b, int k)
{
    const qint64 above = tenThousandthsOf(b.HaBerechnet[k]) - tenThousandthsOf(b.Ha[k]);
    if (above <= 0)
        return 0;
    if (!b.Angefangene[k])
        return double(above) / 10000;
    const bool fraction = tenThousandthsOf(b.HaBerechnet[k]) % 10000 != 0;
    return double(fraction ? (above + 9999) / 10000 : above / 10000);
}

// The threshold's hectares as billed: started whole hectares are billed whole.
double billedThreshold(const Buchung &b, int k)
{
    return b.Angefangene[k] ? double((tenThousandthsOf(b.Ha[k]) + 9999) / 10000) : b.Ha[k];
}

QString header(const FeeLineSettings &s, const Buchung &b, int k, const QString &g, const QString &m)
{
    if (k == 0 && s.formula)
        return withTotalColumn(spaces(25) + spaces(13) + spaces(16) + u" € für "_qs + s.haMindestbetrag + u"ha"_qs
                               + u" restl. "_qs + s.haZuschlag + u"ha"_qs + spaces(52));
    if (k == 0 && s.fixedByClass)
        return spaces(27) + u"Fixbeitrag nach ha-Staffel für "_qs + generalNumber(b.HaBerechnet[0]) + u"ha"_qs + spaces(22)
               + u"Gesamt"_qs;
    // The scale has no threshold of the owner's: his own figures would name hectares the
    // amount does not follow.
    if (twoTiers(b, k) && !(k == 0 && s.scale)) {
        const double rest = billedAbove(b, k);
        return withTotalColumn(spaces(27) + g + m + u"  €/ha für "_qs + generalNumber(billedThreshold(b, k)) + u"ha"_qs
                               + u" restl. "_qs + (rest > 0 ? generalNumber(rest) : u"0"_qs) + u"ha"_qs + spaces(52));
    }
    return spaces(27) + g + m + u"  Beitrag/ha"_qs + spaces(22) + u"Gesamt"_qs;
}

QString noFeeText(const FeeLineSettings &s, const Buchung &b, int k)
{
    const QString &label = s.labels[size_t(k)];
    QString text = u"KEIN BEITRAG FÄLLIG"_qs;
    if (s.variant == LayoutVariant::Farnwinkel && k >= 1 && k <= 3) {
        const QString &insured = k == 1 ? b.Zusatz2 : k == 2 ? b.Zusatz3 : b.Zusatz4;
        text = insured.trimmed().toUpper() == u"JA"_qs ? u"VERSICHERT, KEIN BEITRAG FÄLLIG"_qs
                                                        : u"NICHT VERSICHERT, KEIN BEITRAG FÄLLIG"_qs;
    }
    return label.size() < 29 ? label + spaces(29 - label.size()) + text : label + u' ' + text;
}

QString area(double ha)
{
    return u"\r(Fläche "_qs + hectares(ha) + u" ha)"_qs;
}

// What took the formula's sum down to the amount printed: the maximum, the months of a
// member who joined during the year, whole euros.
QString formulaTerms(const FeeLineSettings &s, const FormulaTerms &terms)
{
    QStringList parts;
    if (terms.capped)
        parts << u"höchstens "_qs + moneyText(s.hoechstbeitrag) + u" €"_qs;
    if (terms.months > 0)
        parts << u"anteilig "_qs + QString::number(terms.months) + u" von 12 Monaten"_qs;
    if (terms.wholeEuros)
        parts << u"auf volle Euro gerundet"_qs;
    return parts.isEmpty() ? QString() : u"\r("_qs + parts.join(u", "_qs) + u')';
}

QString feeText(const FeeLineSettings &s, const Buchung &b, int k)
{
    const QString &label = s.labels[size_t(k)];
    const double minimum = appliedMinimum(s, b, k);
    const QString mc = minimum <= 0 ? spaces(14) : right(money(minimum), 14);
    const QString amount = cents(b.BetragCent[k]);
    if (k == 0 && s.formula) {
        const QString zuschlag = moneyText(s.preisZuschlag);
        return labelColumn(label) + spaces(9) + spaces(moneyText(s.hoechstbeitrag).size()) + spaces(mc.size())
               + spaces(4) + moneyText(s.preisMindestbetrag) + spaces(14 - money(b.Weitere[0]).size()) + zuschlag
               + spaces(9 - zuschlag.size()) + right(amount, 8) + u' ' + s.waehrung + area(b.HaBerechnet[0])
               + formulaTerms(s, b.Formel);
    }
    const bool scale = k == 0 && s.scale;
    // Fee 1 of the form's modes has no threshold; every other line is the owner's own.
    const bool own = k > 0 || !(s.fixedByClass || s.scale);
    // A class's amount is a fixed fee: the owner's own prices beside it would not give it.
    if (k == 0 && s.fixedByClass)
        return labelColumn(label) + right(amount, 9) + mc + spaces(14 + 18) + right(amount, 11) + u' ' + s.waehrung
               + area(b.HaBerechnet[0]);
    // Without a threshold every hectare is a further one: its price stands first then.
    const QString p1 = scale ? u"Staffelbeitrag"_qs
                             : price(b.Flachenbertrag[k] != 0 || b.Ha[k] > 0 ? b.Flachenbertrag[k] : b.Weitere[k]);
    const bool tiers = own && twoTiers(b, k);
    QString p2 = tiers ? price(b.Weitere[k]) : QString();
    const bool belowThreshold = own && !(b.Ha[k] <= b.HaBerechnet[k] || b.Weitere[k] <= 0);
    // Below the threshold the price of further hectares still shows, in the column the
    // two-tier case uses for it.
    if (belowThreshold)
        p2 = price(b.Weitere[k]);
    QString text = labelColumn(label) + right(price(b.Fixbeitrag[k]), 9) + mc + right(p1, 14) + right(p2, 18)
                   + right(amount, 11) + u' ' + s.waehrung;
    if (!own)
        return text + area(b.HaBerechnet[0]);
    // The owner's area as billed; above the threshold the hectares billed at the further
    // price, or those left uninsured (beyond the threshold as billed).
    const double rest = b.HaBerechnet[k] - billedThreshold(b, k);
    if (!belowThreshold) {
        text += area(b.HaBerechnet[k]);
        // Started hectares: an area that reaches the threshold is billed for its whole
        // hectares, which may be more than the area.
        const double threshold = billedThreshold(b, k);
        const qint64 billed = tenThousandthsOf(b.HaBerechnet[k]);
        if (b.Ha[k] > 0 && !tiers && billed >= tenThousandthsOf(b.Ha[k]) && tenThousandthsOf(threshold) > billed)
            text += u"\r(berechnet für "_qs + hectares(threshold) + u" ha)"_qs;
        if (rest > 0)
            text += b.Weitere[k] != 0 ? u"\r("_qs + generalNumber(b.Weitere[k]) + u" €/ha für weitere "_qs
                                            + hectares(billedAbove(b, k)) + u" ha) "_qs
                                      : u"\r(nicht vers. "_qs + hectares(rest) + u" ha)"_qs;
    } else {
        text += area(b.HaBerechnet[k]);
    }
    return text;
}

} // namespace

LayoutVariant layoutVariant(const QString &strFirma)
{
    const QString firma = strFirma.toUpper().trimmed();
    if (firma == u"ORVELDE"_qs)
        return LayoutVariant::Orvelde;
    if (firma == u"FARNWINKEL"_qs)
        return LayoutVariant::Farnwinkel;
    if (firma == u"KRANSTEDE"_qs)
        return LayoutVariant::Kranstede;
    if (firma == u"MOSSELWANG"_qs)
        return LayoutVariant::Mosselwang;
    return LayoutVariant::Standard;
}

FeeLines BuildFeeLines(const FeeLineSettings &s, const Buchung &b, int k)
{
    const bool kranstede = s.variant == LayoutVariant::Kranstede || s.variant == LayoutVariant::Mosselwang;
    const QString g = kranstede ? u"Grundbeitrag"_qs : u" Fixbeitrag"_qs;
    const QString m = appliedMinimum(s, b, k) <= 0 ? spaces(16) : u" Mindestbeitrag"_qs;
    FeeLines lines;
    lines.header = header(s, b, k, g, m);
    lines.detail = b.BetragCent[k] <= Money() ? noFeeText(s, b, k) : feeText(s, b, k);

    // The fee's share of its rate's VAT: the shares of a rate add up to what the VAT block
    // prints for it.
    const QString &rate = s.mwst[size_t(k)];
    if (!rate.isEmpty() && parseGermanAmount(rate) && !b.BetragCent[k].isZero()) {
        if (s.netto) {
            lines.detail += u"      +"_qs + rate + u"% MwSt "_qs;
            lines.vatOnTop = true;
        } else {
            lines.detail += u"   davon "_qs + rate + u"% MwSt also "_qs + cents(b.SteuerCent[k]) + u" Euro."_qs;
        }
    }
    return lines;
}

} // namespace qvl
