// The characters and patterns of the bank file's values: XML escaping, the schemas'
// patterns for IBAN, BIC and identifiers, the banks' character set, the amount's text.

#include "sepa/SepaDocument.h"

#include "text/Conversions.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <string_view>

namespace qvl {

namespace {

bool isXmlSpecial(QChar c)
{
    return c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'';
}

// Printable ASCII and the BMP's letters outside the controls; surrogates need a look at
// their neighbour.
bool isPlainXmlChar(char16_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0xD800) || (c >= 0xE000 && c < 0xFFFE);
}

} // namespace

QString withoutXmlForbidden(const QString &text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return isPlainXmlChar(c.unicode()); }))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isPlainXmlChar(c.unicode())) {
            result += c;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result += c;
            result += text[++i];
        }
    }
    return result;
}

QString xmlEscape(const QString &text)
{
    if (std::all_of(text.begin(), text.end(),
                    [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F && !isXmlSpecial(c); }))
        return text;
    // toHtmlEscaped covers & < > and "; attribute-safe text also needs the apostrophe.
    return withoutXmlForbidden(text).toHtmlEscaped().replace(u'\'', u"&apos;"_qs);
}

QString leftCharacters(const QString &text, int maxLength)
{
    if (text.size() <= maxLength)
        return text;
    return text.left(text[maxLength - 1].isHighSurrogate() ? maxLength - 1 : maxLength);
}

namespace {

bool isUpper(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isDigitChar(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool allOf(QStringView text, bool (*test)(QChar))
{
    return std::all_of(text.begin(), text.end(), test);
}

bool isUpperOrDigit(QChar c)
{
    return isUpper(c) || isDigitChar(c);
}

} // namespace

// The schemas' patterns, checked by hand: they are asked for every booking of a run.
bool isSchemaIban(const QString &iban)
{
    // [A-Z]{2}[0-9]{2}[A-Z0-9]{1,30}
    const QStringView v(iban);
    return v.size() >= 5 && v.size() <= 34 && allOf(v.first(2), isUpper) && allOf(v.sliced(2, 2), isDigitChar)
           && allOf(v.sliced(4), isUpperOrDigit);
}

bool isSchemaBic(SepaFormat format, const QString &bic)
{
    const QStringView v(bic);
    if (v.size() != 8 && v.size() != 11)
        return false;
    if (!allOf(v.sliced(8), isUpperOrDigit))
        return false;
    if (format == SepaFormat::Pain00800102) {
        // [A-Z]{6}[A-Z2-9][A-NP-Z0-9]([A-Z0-9]{3})?
        const QChar seventh = v[6];
        const QChar eighth = v[7];
        return allOf(v.first(6), isUpper) && (isUpper(seventh) || (seventh >= u'2' && seventh <= u'9'))
               && isUpperOrDigit(eighth) && eighth != u'O';
    }
    // Since 2019 the bank code may hold digits: [A-Z0-9]{4}[A-Z]{2}[A-Z0-9]{2}([A-Z0-9]{3})?
    return allOf(v.first(4), isUpperOrDigit) && allOf(v.sliced(4, 2), isUpper) && allOf(v.sliced(6, 2), isUpperOrDigit);
}

bool isSepaIdentifier(const QString &text)
{
    // [A-Za-z0-9':?,\-(+.)/]+
    static const QString punctuation = u"':?,-(+.)/"_qs;
    const bool allowed = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return isUpper(c) || (c >= u'a' && c <= u'z') || isDigitChar(c) || punctuation.contains(c);
    });
    return allowed && !text.startsWith(u'/') && !text.endsWith(u'/') && !text.contains(u"//"_qs);
}

namespace {

// a-z A-Z 0-9 blank ' : ? , - ( + . ) / & * $ %, as a table: asked for every character of
// every owner's name and address.
constexpr std::array<bool, 128> kBankCharset = [] {
    std::array<bool, 128> table{};
    for (char c = 'a'; c <= 'z'; ++c)
        table[std::size_t(c)] = true;
    for (char c = 'A'; c <= 'Z'; ++c)
        table[std::size_t(c)] = true;
    for (char c = '0'; c <= '9'; ++c)
        table[std::size_t(c)] = true;
    for (const char c : std::string_view(" ':?,-(+.)/&*$%"))
        table[std::size_t(c)] = true;
    return table;
}();

bool inBankCharset(char32_t c)
{
    return c < 128 && kBankCharset[c];
}

// The reduction of bankCharset; the characters it could only turn into a blank (blanks,
// line breaks and other controls aside) go to *lost.
QString reduceToBankCharset(const QString &text, QString *lost)
{
    // Letters whose diacritic is not a separate combining mark.
    static const QHash<char32_t, QString> undecomposable = {
        {U'ł', u"l"_qs}, {U'Ł', u"L"_qs}, {U'ø', u"o"_qs}, {U'Ø', u"O"_qs}, {U'đ', u"d"_qs},
        {U'Đ', u"D"_qs}, {U'ß', u"ss"_qs}, {U'ẞ', u"SS"_qs}, {U'æ', u"ae"_qs}, {U'Æ', u"AE"_qs},
        {U'œ', u"oe"_qs}, {U'Œ', u"OE"_qs}, {U'ı', u"i"_qs},
    };
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return inBankCharset(c.unicode()); }))
        return text;

    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.normalized(QString::NormalizationForm_D).toUcs4()) {
        if (inBankCharset(c))
            result += QChar(c);
        else if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue;
        else if (const auto found = undecomposable.constFind(c); found != undecomposable.cend())
            result += *found;
        else {
            result += u' ';
            const QString character = QString::fromUcs4(&c, 1);
            if (lost && !QChar::isSpace(c) && QChar::category(c) != QChar::Other_Control && !lost->contains(character))
                *lost += character;
        }
    }
    return result;
}

} // namespace

QString bankCharset(const QString &text)
{
    return reduceToBankCharset(text, nullptr);
}

QString bankCharsetLosses(const QString &text)
{
    QString lost;
    reduceToBankCharset(text, &lost);
    return lost;
}

} // namespace qvl
