#include "app/InputRules.h"

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

KeyFilter keyFilterFor(const QString &name)
{
    if (kPositionBoxes.contains(name))
        return KeyFilter::Digits;
    static const QRegularExpression unformatted(u"^(txtMindestbeitrag[1-5]|txtMwst\\([0-4]\\))$"_qs);
    if (formattedDecimalsFor(name) > 0 || unformatted.match(name).hasMatch())
        return KeyFilter::Decimal;
    if (name == u"txtRechNr"_qs)
        return KeyFilter::Whole;
    return KeyFilter::None;
}

bool acceptsTypedChar(KeyFilter filter, QChar c)
{
    const bool digit = c >= u'0' && c <= u'9';
    switch (filter) {
    case KeyFilter::None:
        return true;
    case KeyFilter::Digits:
        return digit;
    case KeyFilter::Decimal:
        return digit || c == u'.' || c == u',' || c == QChar(8);
    case KeyFilter::Whole:
        return digit || c == QChar(8);
    }
    return true;
}

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
    return BoxRule::None;
}

bool checkedWhenLeft(const QString &name)
{
    return boxRuleFor(name) != BoxRule::None;
}

std::optional<double> typedAmount(const QString &text)
{
    static const QRegularExpression syntax(u"^\\s*(\\d{1,3}(?:\\.\\d{3})+|\\d*)(?:,(\\d*))?\\s*$"_qs);
    const QRegularExpressionMatch m = syntax.match(text);
    if (!m.hasMatch() || (m.capturedLength(1) == 0 && m.capturedLength(2) == 0))
        return std::nullopt;
    bool ok = false;
    const QString integer = m.captured(1).remove(u'.');
    const double value = ((integer.isEmpty() ? u"0"_qs : integer) + u'.'
                          + (m.capturedLength(2) == 0 ? u"0"_qs : m.captured(2)))
                             .toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
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

std::optional<qint64> invoiceNumber(const QString &text)
{
    const QString digits = text.trimmed();
    // More than ten digits are too many whatever they are (and toLongLong stays in range).
    if (digits.isEmpty() || digits.size() > 10
        || !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const qint64 n = digits.toLongLong();
    if (n < 1 || n > kMaxInvoiceNumber)
        return std::nullopt;
    return n;
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
