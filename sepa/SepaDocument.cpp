#include "sepa/SepaDocument.h"

#include "platform/Conversions.h"
#include "sepa/Iban.h"

#include <QHash>

#include <algorithm>

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

// The lines of one block; every line ends with CR LF, the block with one empty line.
class Block
{
public:
    void line(int blanks, QStringView text)
    {
        m_text += QString(blanks, u' ');
        m_text += text;
        m_text += u"\r\n";
    }

    // Opening literal, escaped value, closing literal.
    void line(int blanks, QStringView open, const QString &value, QStringView close)
    {
        line(blanks, open.toString() + xmlEscape(value) + close.toString());
    }

    void element(int blanks, const QString &tag, const QString &value)
    {
        line(blanks, QString(u'<' + tag + u'>'), value, QString(u"</"_qs + tag + u'>'));
    }

    QString text() const { return m_text + u"\r\n"_qs; }

private:
    QString m_text;
};

QString bicTag(SepaFormat format)
{
    return format == SepaFormat::Pain00800108 ? u"BICFI"_qs : u"BIC"_qs;
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
    block.line(28, u"<DbtrAgt>");
    block.line(32, u"<FinInstnId>");
    // The 2019 version has no BIC value for "none"; it names the missing BIC as other id.
    if (format == SepaFormat::Pain00800108 && bic == notProvided) {
        block.line(36, u"<Othr>");
        block.element(40, u"Id"_qs, bic);
        block.line(36, u"</Othr>");
    } else {
        block.element(36, bicTag(format), bic);
    }
    block.line(32, u"</FinInstnId>");
    block.line(28, u"</DbtrAgt>");
}

// Debtors outside the EEA need a postal address since the 2019 version; the schema
// forbids empty texts, so empty parts are left out.
void postalAddress(Block &block, const SepaTransaction &transaction, const QString &country)
{
    block.line(32, u"<PstlAdr>");
    const std::pair<QString, QString> parts[] = {
        {u"StrtNm"_qs, freeText(transaction.street, streetLength)},
        {u"PstCd"_qs, freeText(transaction.postcode, postcodeLength)},
        {u"TwnNm"_qs, freeText(transaction.town, townLength)},
    };
    for (const auto &[tag, value] : parts) {
        if (!value.isEmpty())
            block.element(36, tag, value);
    }
    block.element(36, u"Ctry"_qs, country);
    block.line(32, u"</PstlAdr>");
}

} // namespace

SepaFormat sepaFormatFromText(const QString &text)
{
    return text.trimmed() == u"pain.008.001.02" ? SepaFormat::Pain00800102 : SepaFormat::Pain00800108;
}

QString sepaFormatText(SepaFormat format)
{
    return format == SepaFormat::Pain00800102 ? u"pain.008.001.02"_qs : u"pain.008.001.08"_qs;
}

QString sepaHeaderBlock(SepaFormat format, const SepaHeader &header)
{
    const QString creditorName = freeText(header.creditorName, nameLength);
    const QString count = QString::number(header.numberOfTransactions);
    const QString created =
        formatDate(header.created, u"yyyy-mm-dd"_qs) + u'T' + formatDate(header.created, u"HH:MM:SS"_qs);

    Block block;
    block.line(0, u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    block.line(0, documentStartTag(format));
    block.line(1, u"<CstmrDrctDbtInitn>");
    block.line(5, u"<GrpHdr>");
    block.element(9, u"MsgId"_qs, header.messageId);
    block.element(9, u"CreDtTm"_qs, created);
    block.element(9, u"NbOfTxs"_qs, count);
    block.element(9, u"CtrlSum"_qs, header.controlSum);
    block.line(9, u"<InitgPty>");
    block.element(15, u"Nm"_qs, creditorName);
    block.line(9, u"</InitgPty>");
    block.line(5, u"</GrpHdr>");
    block.line(5, u"<PmtInf>");
    block.line(9, u"<PmtInfId>LS00", header.messageId, u"</PmtInfId>");
    block.line(9, u"<PmtMtd>DD</PmtMtd>");
    block.line(9, u"<BtchBookg>true</BtchBookg>");
    block.element(9, u"NbOfTxs"_qs, count);
    block.element(9, u"CtrlSum"_qs, header.controlSum);
    block.line(9, u"<PmtTpInf>");
    block.line(13, u"<SvcLvl>");
    block.line(17, u"<Cd>SEPA</Cd>");
    block.line(13, u"</SvcLvl>");
    block.line(13, u"<LclInstrm>");
    block.line(17, u"<Cd>CORE</Cd>");
    block.line(13, u"</LclInstrm>");
    block.line(13, u"<SeqTp>RCUR</SeqTp>");
    block.line(9, u"</PmtTpInf>");
    block.element(9, u"ReqdColltnDt"_qs, header.dueDate);
    block.line(9, u"<Cdtr>");
    block.element(13, u"Nm"_qs, creditorName);
    block.line(9, u"</Cdtr>");
    block.line(9, u"<CdtrAcct>");
    block.line(13, u"<Id>");
    block.element(17, u"IBAN"_qs, header.creditorIban);
    block.line(13, u"</Id>");
    block.line(9, u"</CdtrAcct>");
    block.line(9, u"<CdtrAgt>");
    block.line(13, u"<FinInstnId>");
    block.element(17, bicTag(format), header.creditorBic);
    block.line(13, u"</FinInstnId>");
    block.line(9, u"</CdtrAgt>");
    return block.text();
}

QString sepaTransactionBlock(SepaFormat format, const SepaTransaction &transaction)
{
    Block block;
    block.line(9, u"<DrctDbtTxInf>");
    // The uneven indentation of PmtId is what the banks' import programs have always received.
    block.line(27, u"<PmtId>");
    block.element(32, u"EndToEndId"_qs, transaction.mandateId);
    block.line(28, u"</PmtId>");
    block.line(28, u"<InstdAmt Ccy=\"EUR\">", transaction.amount, u"</InstdAmt>");
    block.line(28, u"<DrctDbtTx>");
    block.line(32, u"<MndtRltdInf>");
    block.element(36, u"MndtId"_qs, transaction.mandateId);
    block.element(36, u"DtOfSgntr"_qs, transaction.signatureDate);
    block.line(32, u"</MndtRltdInf>");
    block.line(32, u"<CdtrSchmeId>");
    block.line(36, u"<Id>");
    block.line(40, u"<PrvtId>");
    block.line(44, u"<Othr>");
    block.element(48, u"Id"_qs, transaction.creditorId);
    block.line(48, u"<SchmeNm>");
    block.line(53, u"<Prtry>SEPA</Prtry>");
    block.line(48, u"</SchmeNm>");
    block.line(44, u"</Othr>");
    block.line(40, u"</PrvtId>");
    block.line(36, u"</Id>");
    block.line(32, u"</CdtrSchmeId>");
    block.line(28, u"</DrctDbtTx>");
    debtorAgent(block, format, transaction.debtorBic);
    block.line(28, u"<Dbtr>");
    block.element(32, u"Nm"_qs, freeText(transaction.debtorName, nameLength));
    if (format == SepaFormat::Pain00800108) {
        if (const QString country = countryOutsideEea(transaction.debtorIban); !country.isEmpty())
            postalAddress(block, transaction, country);
    }
    block.line(28, u"</Dbtr>");
    block.line(28, u"<DbtrAcct>");
    block.line(32, u"<Id>");
    block.element(36, u"IBAN"_qs, transaction.debtorIban);
    block.line(32, u"</Id>");
    block.line(28, u"</DbtrAcct>");
    block.line(28, u"<RmtInf>");
    block.element(32, u"Ustrd"_qs, freeText(transaction.remittance, remittanceLength));
    block.line(28, u"</RmtInf>");
    block.line(9, u"</DrctDbtTxInf>");
    return block.text();
}

QString sepaFooterBlock(SepaFormat /*format*/)
{
    Block block;
    block.line(8, u"</PmtInf>");
    block.line(1, u"</CstmrDrctDbtInitn>");
    block.line(0, u"</Document>");
    return block.text();
}

QString xmlEscape(const QString &text)
{
    // toHtmlEscaped covers & < > and "; attribute-safe text also needs the apostrophe.
    return text.toHtmlEscaped().replace(u'\'', u"&apos;"_qs);
}

QString bankCharset(const QString &text)
{
    // Letters whose diacritic is not a separate combining mark.
    static const QHash<char32_t, QString> undecomposable = {
        {U'ł', u"l"_qs}, {U'Ł', u"L"_qs}, {U'ø', u"o"_qs}, {U'Ø', u"O"_qs}, {U'đ', u"d"_qs},
        {U'Đ', u"D"_qs}, {U'ß', u"ss"_qs}, {U'ẞ', u"SS"_qs}, {U'æ', u"ae"_qs}, {U'Æ', u"AE"_qs},
        {U'œ', u"oe"_qs}, {U'Œ', u"OE"_qs}, {U'ı', u"i"_qs},
    };
    static const QString punctuation = u" ':?,-(+.)/&*$%"_qs;

    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.normalized(QString::NormalizationForm_D).toUcs4()) {
        const bool asciiAlnum = (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
        if (asciiAlnum || (c < 0x80 && punctuation.contains(QChar(c))))
            result += QChar(c);
        else if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue;
        else if (const auto found = undecomposable.constFind(c); found != undecomposable.cend())
            result += *found;
        else
            result += u' ';
    }
    return result;
}

QString sepaAmountText(double amount)
{
    return generalNumber(amount).replace(u',', u'.');
}

} // namespace qvl
