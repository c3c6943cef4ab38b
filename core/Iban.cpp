#include "core/Iban.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace qvl {

namespace {

// Lengths from the SWIFT IBAN registry. Overseas territories that use their mother
// country's IBAN (French DOM-TOM, Åland, ...) carry that country's code and need no entry.
const QHash<QString, int> &ibanLengths()
{
    static const QHash<QString, int> lengths = {
        {"AD", 24}, {"AE", 23}, {"AL", 28}, {"AT", 20}, {"AZ", 28}, {"BA", 20}, {"BE", 16},
        {"BG", 22}, {"BH", 22}, {"BI", 27}, {"BR", 29}, {"BY", 28}, {"CH", 21}, {"CR", 22},
        {"CY", 28}, {"CZ", 24}, {"DE", 22}, {"DJ", 27}, {"DK", 18}, {"DO", 28}, {"EE", 20},
        {"EG", 29}, {"ES", 24}, {"FI", 18}, {"FK", 18}, {"FO", 18}, {"FR", 27}, {"GB", 22},
        {"GE", 22}, {"GI", 23}, {"GL", 18}, {"GR", 27}, {"GT", 28}, {"HR", 21}, {"HU", 28},
        {"IE", 22}, {"IL", 23}, {"IQ", 23}, {"IS", 26}, {"IT", 27}, {"JO", 30}, {"KW", 30},
        {"KZ", 20}, {"LB", 28}, {"LC", 32}, {"LI", 21}, {"LT", 20}, {"LU", 20}, {"LV", 21},
        {"LY", 25}, {"MC", 27}, {"MD", 24}, {"ME", 22}, {"MK", 19}, {"MN", 20}, {"MR", 27},
        {"MT", 31}, {"MU", 30}, {"NI", 28}, {"NL", 18}, {"NO", 15}, {"OM", 23}, {"PK", 24},
        {"PL", 28}, {"PS", 29}, {"PT", 25}, {"QA", 29}, {"RO", 24}, {"RS", 22}, {"RU", 33},
        {"SA", 24}, {"SC", 31}, {"SD", 18}, {"SE", 24}, {"SI", 19}, {"SK", 24}, {"SM", 27},
        {"SO", 23}, {"ST", 25}, {"SV", 28}, {"TL", 23}, {"TN", 24}, {"TR", 26}, {"UA", 29},
        {"VA", 22}, {"VG", 24}, {"XK", 20}, {"YE", 30},
    };
    return lengths;
}

bool isUpperLetter(QChar c) { return c >= u'A' && c <= u'Z'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isUpperAlnum(QChar c) { return isUpperLetter(c) || isDigit(c); }

bool allUpperAlnum(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isUpperAlnum);
}

// Remainder mod 97 of the number that TEXT stands for (letters A=10 ... Z=35), taken
// digit by digit so that no number ever exceeds 97 * 100. TEXT must be upper-case
// letters and digits.
int mod97(QStringView text, int remainder = 0)
{
    for (QChar c : text) {
        if (isDigit(c))
            remainder = (remainder * 10 + (c.unicode() - u'0')) % 97;
        else
            remainder = (remainder * 100 + (c.unicode() - u'A' + 10)) % 97;
    }
    return remainder;
}

} // namespace

int ibanLengthOfCountry(const QString &countryCode)
{
    return ibanLengths().value(countryCode, 0);
}

bool isEeaCountry(const QString &countryCode)
{
    static const QSet<QString> eea = {
        // EU
        "AT", "BE", "BG", "CY", "CZ", "DE", "DK", "EE", "ES", "FI", "FR", "GR", "HR", "HU",
        "IE", "IT", "LT", "LU", "LV", "MT", "NL", "PL", "PT", "RO", "SE", "SI", "SK",
        // EFTA members of the EEA
        "IS", "LI", "NO",
    };
    return eea.contains(countryCode);
}

QString ibanCheckDigits(const QString &countryCode, const QString &bban)
{
    if (countryCode.size() != 2 || !isUpperLetter(countryCode[0]) || !isUpperLetter(countryCode[1])
        || !allUpperAlnum(bban))
        return {};
    const int check = 98 - mod97(QString(bban + countryCode + QLatin1String("00")));
    return QStringLiteral("%1").arg(check, 2, 10, QLatin1Char('0'));
}

QString normalisedIban(const QString &typed)
{
    // Mostly it is stored as banks take it already: asked for every booking of a run.
    if (allUpperAlnum(typed))
        return typed;
    QString s;
    s.reserve(typed.size());
    for (const QChar c : typed) {
        if (!c.isSpace())
            s += c;
    }
    return s.toUpper();
}

bool isValidIban(const QString &iban)
{
    if (iban.size() < 4 || !allUpperAlnum(iban))
        return false;
    if (!isUpperLetter(iban[0]) || !isUpperLetter(iban[1]) || !isDigit(iban[2])
        || !isDigit(iban[3]))
        return false;
    const int length = ibanLengthOfCountry(iban.left(2));
    if (length == 0 || iban.size() != length)
        return false;
    // The check digits and the country moved behind the rest.
    const QStringView v(iban);
    return mod97(v.first(4), mod97(v.sliced(4))) == 1;
}

bool isValidCreditorId(const QString &creditorId)
{
    if (creditorId.size() < 8 || creditorId.size() > 35 || !allUpperAlnum(creditorId))
        return false;
    if (!isUpperLetter(creditorId[0]) || !isUpperLetter(creditorId[1]) || !isDigit(creditorId[2])
        || !isDigit(creditorId[3]))
        return false;
    // Positions 5-7 are the business code, which the check leaves out.
    return mod97(QString(creditorId.mid(7) + creditorId.left(4))) == 1;
}

} // namespace qvl
