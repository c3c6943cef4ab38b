#include "app/InputRules.h"

#include "text/Conversions.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace qvl {

const QString kLogoFilter =
    u"JPEG (*.JPG;*.JPEG)|*.jpg;*.JPEG|Bitmap (*.bmp)|*.bmp|GIF (*.GIF)|*.GIF|Alle Dateien (*.*)|*.*"_qs;

namespace {

const QStringList kPositionBoxes{u"txtAbsenderLinks"_qs, u"txtAbsenderOben"_qs, u"txtAnschriftLinks"_qs,
                                 u"txtAnschriftOben"_qs};

// "txtStaffel(7)" -> 7, anything else -> -1.
int staffelIndex(const QString &name)
{
    static const QRegularExpression pattern(u"^txtStaffel\\((\\d+)\\)$"_qs);
    const auto m = pattern.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

int formattedDecimalsFor(const QString &name)
{
    const int staffel = staffelIndex(name);
    if (staffel >= 0 && staffel < 22)
        return staffel % 2 == 0 ? 4 : 2;
    if (name == u"txtHaMindestbetrag"_qs || name == u"txtHaZuschlag"_qs)
        return 4;
    if (name == u"txtPreisMindestbetrag"_qs || name == u"txtPreisZuschlag"_qs || name == u"txtHoechstbeitrag"_qs)
        return 2;
    return 0;
}

BoxRule boxRuleFor(const QString &name)
{
    if (formattedDecimalsFor(name) > 0)
        return BoxRule::Formatted;
    if (name == u"txtRechNr"_qs)
        return BoxRule::InvoiceNumber;
    static const QRegularExpression minimum(u"^txtMindestbeitrag[1-5]$"_qs);
    if (minimum.match(name).hasMatch())
        return BoxRule::MinimumFee;
    static const QRegularExpression vat(u"^txtMwst\\([0-4]\\)$"_qs);
    if (vat.match(name).hasMatch())
        return BoxRule::VatRate;
    if (name == u"txtWirtschaftsjahr"_qs)
        return BoxRule::BusinessYear;
    if (name == u"txtFaellDat"_qs || name == u"txtRechDat"_qs)
        return BoxRule::Date;
    if (kPositionBoxes.contains(name))
        return BoxRule::Position;
    if (name == u"txtWaehrung"_qs)
        return BoxRule::Currency;
    return BoxRule::None;
}

bool checkedWhenLeft(const QString &name)
{
    return boxRuleFor(name) != BoxRule::None;
}

std::optional<double> typedAmount(const QString &text)
{
    return parseGermanAmount(text);
}

std::optional<double> typedAmountInLimit(const QString &text)
{
    const std::optional<double> value = typedAmount(text);
    if (!value || *value > kMaxTypedAmount)
        return std::nullopt;
    return value;
}

int positionLimitFor(const QString &name)
{
    if (!kPositionBoxes.contains(name))
        return 0;
    return name.endsWith(u"Links"_qs) ? kPageWidthTwips : kPageHeightTwips;
}

std::optional<int> typedPosition(const QString &text, int highest)
{
    const std::optional<qint64> n = parseWholeNumber(text);
    if (!n || *n > highest)
        return std::nullopt;
    return int(*n);
}

std::optional<QString> typedCurrency(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"EUR"_qs, Qt::CaseInsensitive) == 0)
        return u"EUR"_qs;
    if (t == u"€"_qs)
        return t;
    return std::nullopt;
}

std::optional<int> typedYear(const QString &text)
{
    static const QRegularExpression syntax(u"^\\s*(\\d{4})\\s*$"_qs);
    const QRegularExpressionMatch m = syntax.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int year = m.captured(1).toInt();
    if (year < 1900 || year > 2999)
        return std::nullopt;
    return year;
}

std::optional<QString> typedBusinessYear(const QString &text, int startMonth, QString *why)
{
    if (const std::optional<int> year = typedYear(text))
        return QString::number(*year);
    static const QRegularExpression twoYears(u"^\\s*(\\d{4})\\s*/\\s*(\\d{2}|\\d{4})\\s*$"_qs);
    const QRegularExpressionMatch m = twoYears.match(text);
    const bool spansTwo = startMonth >= 2 && startMonth <= 12;
    if (m.hasMatch() && !spansTwo) {
        *why = u"Ein Wirtschaftsjahr, das im Januar beginnt, ist ein Kalenderjahr: bitte geben Sie es als Jahreszahl "
               "mit vier Ziffern ein (zum Beispiel "_qs + m.captured(1) + u"). „2026/2027“ gilt nur für ein "
               "Wirtschaftsjahr, das später im Jahr beginnt (Einstellung WirtschaftsjahrBeginn)."_qs;
        return std::nullopt;
    }
    if (m.hasMatch()) {
        const int first = m.captured(1).toInt();
        const QString second = m.captured(2);
        const int next = second.size() == 2 ? (first + 1) / 100 * 100 + second.toInt() : second.toInt();
        if (typedYear(m.captured(1)) && next == first + 1)
            return QString::number(first) + u'/' + QString::number(next);
        *why = u"Ein Wirtschaftsjahr über zwei Kalenderjahre nennt zwei aufeinanderfolgende Jahre (zum Beispiel "
               "2026/2027 oder 2026/27)."_qs;
        return std::nullopt;
    }
    *why = spansTwo ? u"Das Wirtschaftsjahr muss eine Jahreszahl mit vier Ziffern sein oder die beiden Jahre nennen, "
                      "über die es reicht (zum Beispiel 2026/2027)."_qs
                    : u"Das Wirtschaftsjahr muss eine Jahreszahl mit vier Ziffern sein."_qs;
    return std::nullopt;
}

int typedDecimals(const QString &text)
{
    const QString trimmed = text.trimmed();
    const qsizetype comma = trimmed.indexOf(u',');
    return comma < 0 ? 0 : int(trimmed.size() - comma - 1);
}

std::optional<qint64> invoiceNumber(const QString &text)
{
    const std::optional<qint64> n = parseWholeNumber(text);
    if (!n || *n < 1 || *n > kMaxInvoiceNumber)
        return std::nullopt;
    return n;
}

std::optional<qint64> typedDocumentNumber(const QString &text)
{
    static const QRegularExpression syntax(
        u"^\\s*(?:(?:RE|RG|Rechnung|Rechnungsnummer|Rechnungs-?Nr|Beleg|Nr)\\.?\\s*[-:]?\\s*)?(\\d+)\\s*$"_qs,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = syntax.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return invoiceNumber(m.captured(1));
}

QStringList qtFileFilters(const QString &runtimeFilter)
{
    const QStringList parts = runtimeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        // The description's own pattern list ("JPEG (*.JPG;*.JPEG)") gives way to the
        // patterns that really apply.
        const qsizetype paren = description.indexOf(u'(');
        if (paren > 0)
            description = description.left(paren).trimmed();
        QStringList patterns;
        for (const QString &pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts))
            for (const QString &variant : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant))
                    patterns.append(variant);
        filters.append(description + u" ("_qs + patterns.join(u' ') + u')');
    }
    return filters;
}

} // namespace qvl
