#include "sepa/SepaDocument.h"

#include "platform/Conversions.h"
#include "core/Iban.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <string_view>

namespace qvl {

namespace {

// Schema lengths of the free texts.
constexpr int nameLength = 70;
constexpr int remittanceLength = 140;
constexpr int streetLength = 70;
constexpr int postcodeLength = 16;
constexpr int townLength = 35;

const QString notProvided = u"NOTPROVIDED"_qs;

// Reduction can lengthen a text (ß -> ss), so the cut comes after it.
QString freeText(const QString &text, int maxLength)
{
    return bankCharset(text).left(maxLength);
}

// The lines of one block, as the file's UTF-8 bytes; every line ends with CR LF, the
// block with one empty line. Appends in place: a big run writes a hundred thousand blocks.
class Block
{
public:
    Block() { m_bytes.reserve(2400); }

    void line(int blanks, QByteArrayView text)
    {
        indent(blanks);
        m_bytes += text;
        m_bytes += "\r\n";
    }

    // Opening literal, escaped value, closing literal.
    void line(int blanks, QByteArrayView open, const QString &value, QByteArrayView close)
    {
        indent(blanks);
        m_bytes += open;
        m_bytes += xmlEscape(value).toUtf8();
        m_bytes += close;
        m_bytes += "\r\n";
    }

    void element(int blanks, QByteArrayView tag, const QString &value)
    {
        indent(blanks);
        m_bytes += '<';
        m_bytes += tag;
        m_bytes += '>';
        m_bytes += xmlEscape(value).toUtf8();
        m_bytes += "</";
        m_bytes += tag;
        m_bytes += ">\r\n";
    }

    QByteArray bytes() { return m_bytes += "\r\n"; }

private:
    void indent(int blanks) { m_bytes.append(qsizetype(blanks), ' '); }

    QByteArray m_bytes;
};

QByteArrayView bicTag(SepaFormat format)
{
    return format == SepaFormat::Pain00800108 ? "BICFI" : "BIC";
}

QString documentStartTag(SepaFormat format)
{
    const QString name = sepaFormatText(format);
    const QString ns = u"urn:iso:std:iso:20022:tech:xsd:"_qs + name;
    return u"<Document xmlns=\""_qs + ns
        + u"\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\""_qs + ns
        + u' ' + name + u".xsd\">"_qs;
}

// The IBAN's country when it is a country outside the EEA, else empty.
QString countryOutsideEea(const QString &iban)
{
    const QString country = iban.left(2);
    const bool twoLetters = country.size() == 2
        && std::all_of(country.begin(), country.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    return twoLetters && !isEeaCountry(country) ? country : QString();
}

void debtorAgent(Block &block, SepaFormat format, const QString &bic)
{
    block.line(28, "<DbtrAgt>");
    block.line(32, "<FinInstnId>");
    // The 2019 version has no BIC value for "none"; it names the missing BIC as other id.
    if (format == SepaFormat::Pain00800108 && bic == notProvided) {
        block.line(36, "<Othr>");
        block.element(40, "Id", bic);
        block.line(36, "</Othr>");
    } else {
        block.element(36, bicTag(format), bic);
    }
    block.line(32, "</FinInstnId>");
    block.line(28, "</DbtrAgt>");
}

// Debtors outside the EEA need a postal address since the 2019 version; the schema
// forbids empty texts, so empty parts are left out.
void postalAddress(Block &block, const SepaTransaction &transaction, const QString &country)
{
    block.line(32, "<PstlAdr>");
    const std::pair<QByteArrayView, QString> parts[] = {
        {"StrtNm", freeText(transaction.street, streetLength)},
        {"PstCd", freeText(transaction.postcode, postcodeLength)},
        {"TwnNm", freeText(transaction.town, townLength)},
    };
    for (const auto &[tag, value] : parts) {
        if (!value.isEmpty())
            block.element(36, tag, value);
    }
    block.element(36, "Ctry", country);
    block.line(32, "</PstlAdr>");
}

} // namespace

QByteArray sepaHeaderBlock(SepaFormat format, const SepaHeader &header)
{
    const QString creditorName = freeText(header.creditorName, nameLength);
    const QString count = QString::number(header.numberOfTransactions);
    const QString created =
        formatDate(header.created, u"yyyy-mm-dd"_qs) + u'T' + formatDate(header.created, u"HH:MM:SS"_qs);

    Block block;
    block.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    block.line(0, documentStartTag(format).toUtf8());
    block.line(1, "<CstmrDrctDbtInitn>");
    block.line(5, "<GrpHdr>");
    block.element(9, "MsgId", header.messageId);
    block.element(9, "CreDtTm", created);
    block.element(9, "NbOfTxs", count);
    block.element(9, "CtrlSum", header.controlSum);
    block.line(9, "<InitgPty>");
    block.element(15, "Nm", creditorName);
    block.line(9, "</InitgPty>");
    block.line(5, "</GrpHdr>");
    block.line(5, "<PmtInf>");
    block.line(9, "<PmtInfId>LS00", header.messageId, "</PmtInfId>");
    block.line(9, "<PmtMtd>DD</PmtMtd>");
    block.line(9, "<BtchBookg>true</BtchBookg>");
    block.element(9, "NbOfTxs", count);
    block.element(9, "CtrlSum", header.controlSum);
    block.line(9, "<PmtTpInf>");
    block.line(13, "<SvcLvl>");
    block.line(17, "<Cd>SEPA</Cd>");
    block.line(13, "</SvcLvl>");
    block.line(13, "<LclInstrm>");
    block.line(17, "<Cd>CORE</Cd>");
    block.line(13, "</LclInstrm>");
    block.line(13, "<SeqTp>RCUR</SeqTp>");
    block.line(9, "</PmtTpInf>");
    block.element(9, "ReqdColltnDt", header.dueDate);
    block.line(9, "<Cdtr>");
    block.element(13, "Nm", creditorName);
    block.line(9, "</Cdtr>");
    block.line(9, "<CdtrAcct>");
    block.line(13, "<Id>");
    block.element(17, "IBAN", header.creditorIban);
    block.line(13, "</Id>");
    block.line(9, "</CdtrAcct>");
    block.line(9, "<CdtrAgt>");
    block.line(13, "<FinInstnId>");
    block.element(17, bicTag(format), header.creditorBic);
    block.line(13, "</FinInstnId>");
    block.line(9, "</CdtrAgt>");
    return block.bytes();
}

QByteArray sepaTransactionBlock(SepaFormat format, const SepaTransaction &transaction)
{
    Block block;
    block.line(9, "<DrctDbtTxInf>");
    // The uneven indentation of PmtId is what the banks' import programs have always received.
    block.line(27, "<PmtId>");
    block.element(32, "EndToEndId", transaction.mandateId);
    block.line(28, "</PmtId>");
    block.line(28, "<InstdAmt Ccy=\"EUR\">", transaction.amount, "</InstdAmt>");
    block.line(28, "<DrctDbtTx>");
    block.line(32, "<MndtRltdInf>");
    block.element(36, "MndtId", transaction.mandateId);
    block.element(36, "DtOfSgntr", transaction.signatureDate);
    block.line(32, "</MndtRltdInf>");
    block.line(32, "<CdtrSchmeId>");
    block.line(36, "<Id>");
    block.line(40, "<PrvtId>");
    block.line(44, "<Othr>");
    block.element(48, "Id", transaction.creditorId);
    block.line(48, "<SchmeNm>");
    block.line(53, "<Prtry>SEPA</Prtry>");
    block.line(48, "</SchmeNm>");
    block.line(44, "</Othr>");
    block.line(40, "</PrvtId>");
    block.line(36, "</Id>");
    block.line(32, "</CdtrSchmeId>");
    block.line(28, "</DrctDbtTx>");
    debtorAgent(block, format, transaction.debtorBic);
    block.line(28, "<Dbtr>");
    block.element(32, "Nm", freeText(transaction.debtorName, nameLength));
    if (format == SepaFormat::Pain00800108) {
        if (const QString country = countryOutsideEea(transaction.debtorIban); !country.isEmpty())
            postalAddress(block, transaction, country);
    }
    block.line(28, "</Dbtr>");
    block.line(28, "<DbtrAcct>");
    block.line(32, "<Id>");
    block.element(36, "IBAN", transaction.debtorIban);
    block.line(32, "</Id>");
    block.line(28, "</DbtrAcct>");
    block.line(28, "<RmtInf>");
    block.element(32, "Ustrd", freeText(transaction.remittance, remittanceLength));
    block.line(28, "</RmtInf>");
    block.line(9, "</DrctDbtTxInf>");
    return block.bytes();
}

QByteArray sepaFooterBlock(SepaFormat /*format*/)
{
    Block block;
    block.line(8, "</PmtInf>");
    block.line(1, "</CstmrDrctDbtInitn>");
    block.line(0, "</Document>");
    return block.bytes();
}

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

QString sepaAmountText(double amount)
{
    return generalNumber(amount).replace(u',', u'.');
}

} // namespace qvl
