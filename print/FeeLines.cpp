#include "print/FeeLines.h"

#include "platform/Conversions.h"

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

QString cents(qint64 value)
{
    return formatNumber(centsToEuros(value), kMoney);
}

// A typed value in the money format; a text that is no number stays as typed.
QString moneyText(const QString &text)
{
    const auto n = parseNumber(text);
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
    header.replace(87, total.size(), total);
    return header;
}

bool twoTiers(const Buchung &b, int k)
{
    return b.HaBerechnet[k] > b.Ha[k] && b.Ha[k] > 0 && b.Weitere[k] > 0;
}

QString header(const FeeLineSettings &s, const Buchung &b, int k, const QString &g, const QString &m)
{
    if (k == 0 && s.formula)
        return withTotalColumn(spaces(25) + spaces(13) + spaces(16) + u" € für "_qs + s.haMindestbetrag + u"ha"_qs
                               + u" restl. "_qs + s.haZuschlag + u"ha"_qs + spaces(52));
    if (k == 0 && s.fixedByClass)
        return spaces(27) + u"Fixbeitrag nach ha-Staffel für "_qs + generalNumber(b.Hektar) + u"ha"_qs + spaces(22)
               + u"Gesamt"_qs;
    if (twoTiers(b, k)) {
        const double rest = b.Hektar - b.Ha[k];
        return withTotalColumn(spaces(27) + g + m + u"  €/ha für "_qs + generalNumber(b.Ha[k]) + u"ha"_qs
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

QString feeText(const FeeLineSettings &s, const Buchung &b, int k)
{
    const QString &label = s.labels[size_t(k)];
    const QString mc = b.Mindestbeitrag[k] <= 0 ? spaces(14) : right(money(b.Mindestbeitrag[k]), 14);
    const QString amount = cents(b.BetragCent[k]);
    if (k == 0 && s.formula) {
        const QString zuschlag = moneyText(s.preisZuschlag);
        return labelColumn(label) + spaces(9) + spaces(moneyText(s.hoechstbeitrag).size()) + spaces(mc.size())
               + spaces(4) + moneyText(s.preisMindestbetrag) + spaces(14 - money(b.Weitere[0]).size()) + zuschlag
               + spaces(9 - zuschlag.size()) + right(amount, 8) + u' ' + s.waehrung + area(b.HaBerechnet[0]);
    }
    const bool scale = k == 0 && s.scale;
    const QString p1 = scale ? u"Staffelbeitrag"_qs
                             : money(b.Flachenbertrag[k] != 0 ? b.Flachenbertrag[k] : b.Weitere[k]);
    const bool tiers = twoTiers(b, k);
    QString p2 = tiers ? money(b.Weitere[k]) : QString();
    const bool belowThreshold = k > 0 && !(b.Ha[k] <= b.HaBerechnet[k] || b.Weitere[k] <= 0);
    // Below the threshold the price of further hectares still shows, in the column the
    // two-tier case uses for it.
    if (belowThreshold)
        p2 = money(b.Weitere[k]);
    QString text = labelColumn(label) + right(money(b.Fixbeitrag[k]), 9) + mc + right(p1, 14) + right(p2, 18)
                   + right(amount, 11) + u' ' + s.waehrung;
    if (k == 0)
        return text + area(b.HaBerechnet[0]);
    const double rest = b.Hektar - b.Ha[k];
    if (!belowThreshold) {
        text += area(b.Ha[k] > 0 ? b.Ha[k] : b.HaBerechnet[k]);
        if (rest > 0)
            text += b.Weitere[k] != 0 ? u"\r("_qs + generalNumber(b.Weitere[k]) + u" €/ha für weitere "_qs
                                            + hectares(rest) + u" ha) "_qs
                                      : u"\r(nicht vers. "_qs + hectares(rest) + u" ha)"_qs;
    } else {
        text += area(b.HaBerechnet[k]);
        if (b.Ha[k] > 0 && rest > 0)
            text += u"\r(nicht vers. "_qs + hectares(rest) + u" ha)"_qs;
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
    const QString m = b.Mindestbeitrag[k] <= 0 ? spaces(16) : u" Mindestbeitrag"_qs;
    FeeLines lines;
    lines.header = header(s, b, k, g, m);
    lines.detail = b.BetragCent[k] <= 0 ? noFeeText(s, b, k) : feeText(s, b, k);

    // The fee's share of its rate's VAT: the shares of a rate add up to what the VAT block
    // prints for it.
    const QString &rate = s.mwst[size_t(k)];
    if (!rate.isEmpty() && parseNumber(rate) && b.BetragCent[k] != 0) {
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
