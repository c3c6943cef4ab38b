#include "text/Conversions.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qvl {

namespace {

// The double as its 15 significant decimal digits: value = d.dddddddddddddd * 10^exponent.
struct Digits15
{
    bool negative = false;
    std::string digits; // exactly 15 digits
    int exponent = 0;
};

Digits15 digits15(double value)
{
    char buffer[40];
    // "-d.dddddddddddddde+XX", independent of any locale.
    const auto end = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 14).ptr;
    *end = '\0';
    Digits15 result;
    const char *p = buffer;
    if (*p == '-') {
        result.negative = true;
        ++p;
    }
    result.digits.reserve(15);
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            result.digits.push_back(*p);
    result.exponent = std::atoi(p + 1);
    return result;
}

// A decimal value digits * 10^-decimals; digits has no leading zeros, empty is zero.
struct Decimal
{
    bool negative = false;
    std::string digits;
    bool rounded = false; // false: the 15 digits already fit into the decimals
};

Decimal roundedDecimal(double value, int decimals, bool halfEven)
{
    const Digits15 source = digits15(value);
    decimals = std::clamp(decimals, -400, 400);
    const int keep = source.exponent + 1 + decimals; // digits at or above 10^-decimals

    Decimal result;
    result.negative = source.negative;
    if (keep >= 15) {
        result.digits = source.digits + std::string(keep - 15, '0');
    } else {
        result.rounded = true;
        std::string kept = keep > 0 ? source.digits.substr(0, keep) : std::string();
        // With keep < 0 the first dropped digit is a leading zero: always rounds down.
        const int first = keep >= 0 ? source.digits[keep] - '0' : 0;
        const bool restNonZero = keep >= 0
            && source.digits.find_first_not_of('0', keep + 1) != std::string::npos;
        const bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
        const bool up = first > 5 || (first == 5 && (restNonZero || !halfEven || lastOdd));
        if (up) {
            int i = int(kept.size()) - 1;
            for (; i >= 0 && kept[i] == '9'; --i)
                kept[i] = '0';
            if (i >= 0)
                ++kept[i];
            else
                kept.insert(kept.begin(), '1');
        }
        result.digits = std::move(kept);
    }
    result.digits.erase(0, result.digits.find_first_not_of('0'));
    return result;
}

// The result is always the double nearest to the rounded decimal, so 0.1 + 0.2 rounded
// to 2 decimals is 0.3 and not its neighbour 0.30000000000000004.
double roundDecimal(double value, int decimals, bool halfEven)
{
    if (!std::isfinite(value))
        return value;
    // Fast path: far from a half, the binary value rounds to the same side as its decimal
    // digits do, and an integer divided by an exact power of ten is the nearest double.
    static constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    if (decimals >= 0 && decimals <= 8) {
        const double scaled = std::fabs(value) * powers[decimals];
        if (scaled < 1e8) {
            const double whole = std::floor(scaled);
            const double fraction = scaled - whole;
            if (std::fabs(fraction - 0.5) > 1e-6) {
                const double rounded = (fraction < 0.5 ? whole : whole + 1.0) / powers[decimals];
                return value < 0 && rounded != 0.0 ? -rounded : rounded;
            }
        }
    }
    const Decimal d = roundedDecimal(value, decimals, halfEven);
    if (d.digits.empty())
        return 0.0;
    const std::string text = (d.negative ? "-" : "") + d.digits + 'e' + std::to_string(-decimals);
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

struct NumberPattern
{
    const char16_t *pattern;
    int decimals;
    bool grouping;
    int minIntegerDigits;
};

constexpr NumberPattern numberPatterns[] = {
    {u"0.00", 2, false, 1},       {u"0.0000", 4, false, 1},     {u"##0.00", 2, false, 1},
    {u"#0.00", 2, false, 1},      {u"#####0.00", 2, false, 1},  {u"#,##0.00", 2, true, 1},
    {u"###,##0.00", 2, true, 1},  {u"###,##0.0", 1, true, 1},  {u"#.##0,00", 2, true, 1},  {u"###,##0.0000", 4, true, 1}, {u"0000", 0, false, 4},
};

const QRegularExpression &numberSyntax()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*([+-]?)\s*([0-9.]*)(?:,([0-9]*))?\s*$)"));
    return re;
}

const QRegularExpression &dateSyntax()
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{4}|[0-9]{2})|([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})))"
        R"((?:(?:\s+|T)([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\s*$)"));
    return re;
}

// Translates a runtime date pattern into a Qt format. "m"/"mm" are minutes right after
// an hour or right before seconds, the month anywhere else.
QString qtDateFormat(const QString &pattern)
{
    QString result;
    QChar lastToken;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i).toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run).toLower() == c)
            ++run;
        switch (c.unicode()) {
        case u'd':
            result += QString(std::min<qsizetype>(run, 2), u'd');
            break;
        case u'y':
            result += run <= 2 ? u"yy"_qs : u"yyyy"_qs;
            break;
        case u'h':
            result += QString(std::min<qsizetype>(run, 2), u'H');
            break;
        case u's':
            result += QString(std::min<qsizetype>(run, 2), u's');
            break;
        case u'm': {
            qsizetype next = i + run;
            while (next < pattern.size() && !pattern.at(next).isLetter())
                ++next;
            const bool beforeSeconds = next < pattern.size() && pattern.at(next).toLower() == u's';
            const bool minutes = lastToken == u'h' || beforeSeconds;
            result += QString(std::min<qsizetype>(run, 2), minutes ? u'm' : u'M');
            break;
        }
        default:
            // Anything else is literal text; quoted so Qt does not read it as a field.
            result += u'\'' + QString(run, pattern.at(i)).replace(u"'"_qs, u"''"_qs) + u'\'';
            break;
        }
        if (c.isLetter())
            lastToken = c;
        i += run;
    }
    return result;
}

} // namespace

double roundHalfAwayFromZero(double value, int decimals)
{
    return roundDecimal(value, decimals, false);
}

double roundHalfEven(double value, int decimals)
{
    return roundDecimal(value, decimals, true);
}

qint64 toCents(double euros)
{
    if (std::isnan(euros))
        return 0;
    constexpr double kLimit = 1e15;
    const double clamped = std::clamp(euros, -kLimit, kLimit);
    return std::llround(roundHalfAwayFromZero(clamped, 2) * 100);
}

QString formatCents(qint64 cents, bool grouping)
{
    const bool negative = cents < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(cents) : quint64(cents);
    QString whole = QString::number(magnitude / 100);
    if (grouping)
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, u'.');
    const QString fraction = QString::number(magnitude % 100).rightJustified(2, u'0');
    return (negative ? u"-"_qs : QString()) + whole + u',' + fraction;
}

bool isZero(double value)
{
    return std::abs(value) < 1e-9;
}

QString formatNumber(double value, const QString &pattern)
{
    const auto spec = std::find_if(std::begin(numberPatterns), std::end(numberPatterns),
                                   [&](const NumberPattern &p) { return pattern == p.pattern; });
    if (spec == std::end(numberPatterns)) {
        Q_ASSERT_X(false, "formatNumber", qPrintable(u"unknown pattern "_qs + pattern));
        return generalNumber(value);
    }
    if (!std::isfinite(value))
        return generalNumber(value);

    const Decimal d = roundedDecimal(value, spec->decimals, false);
    QString digits = QString::fromStdString(d.digits);
    const qsizetype minLength = spec->decimals + spec->minIntegerDigits;
    if (digits.size() < minLength)
        digits.prepend(QString(minLength - digits.size(), u'0'));

    QString integer = digits.left(digits.size() - spec->decimals);
    if (spec->grouping)
        for (qsizetype at = integer.size() - 3; at > 0; at -= 3)
            integer.insert(at, u'.');

    QString result = d.negative && !d.digits.empty() ? u"-"_qs : QString();
    result += integer;
    if (spec->decimals > 0)
        result += u',' + digits.right(spec->decimals);
    return result;
}

// Like the runtime's CStr: 15 significant digits, no trailing zeros. Unlike it, never in
// exponent form ("1E+15", "1E-05"): a number in a bank file, a booking file or on a letter
// is read by people and by programs that take plain digits only.
QString generalNumber(double value)
{
    if (std::isnan(value))
        return u"-1,#IND"_qs;
    if (std::isinf(value))
        return value < 0 ? u"-1,#INF"_qs : u"1,#INF"_qs;
    if (value == 0.0)
        return u"0"_qs;

    const Digits15 d = digits15(value);
    QString digits = QString::fromStdString(d.digits);
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString result = d.negative ? u"-"_qs : QString();
    if (d.exponent < 0) {
        result += u"0,"_qs + QString(-d.exponent - 1, u'0') + digits;
    } else {
        const qsizetype integerDigits = d.exponent + 1;
        if (digits.size() <= integerDigits)
            result += digits + QString(integerDigits - digits.size(), u'0');
        else
            result += digits.left(integerDigits) + u',' + digits.mid(integerDigits);
    }
    return result;
}

std::optional<double> parseSuiteNumber(const QString &text)
{
    const QRegularExpressionMatch m = numberSyntax().match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString integer = m.captured(2).remove(u'.');
    const QString fraction = m.captured(3);
    if (integer.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    // QString::toDouble always reads the C locale.
    bool ok = false;
    const double value = (m.captured(1) + (integer.isEmpty() ? u"0"_qs : integer) + u'.'
                          + (fraction.isEmpty() ? u"0"_qs : fraction))
                             .toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

double suiteNumberOrZero(const QString &text)
{
    return parseSuiteNumber(text).value_or(0.0);
}

std::optional<double> parseGermanAmount(const QString &text)
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

std::optional<qint64> parseWholeNumber(const QString &text)
{
    const QString digits = text.trimmed();
    // Fifteen digits stay exact in every number type the program reads them into.
    if (digits.isEmpty() || digits.size() > 15
        || !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    return digits.toLongLong();
}

QString formatDate(const QDateTime &value, const QString &pattern)
{
    return value.toString(qtDateFormat(pattern));
}

QString formatDate(const QDate &value, const QString &pattern)
{
    return formatDate(QDateTime(value, QTime(0, 0)), pattern);
}

std::optional<QDateTime> parseDate(const QString &text)
{
    const QRegularExpressionMatch m = dateSyntax().match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const bool german = m.capturedLength(1) > 0;
    int year = m.captured(german ? 3 : 4).toInt();
    const int month = m.captured(german ? 2 : 5).toInt();
    const int day = m.captured(german ? 1 : 6).toInt();
    if (m.capturedLength(3) == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, month, day);
    const QTime time = m.capturedLength(7) > 0
        ? QTime(m.captured(7).toInt(), m.captured(8).toInt(), m.captured(9).toInt())
        : QTime(0, 0);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

bool isDate(const QString &text)
{
    return parseDate(text).has_value();
}

QString boolText(bool value)
{
    return value ? u"Wahr"_qs : u"Falsch"_qs;
}

std::optional<bool> parseBool(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(u"Wahr", Qt::CaseInsensitive) == 0 || word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"Falsch", Qt::CaseInsensitive) == 0 || word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = parseSuiteNumber(word))
        return *number != 0.0;
    return std::nullopt;
}

} // namespace qvl
