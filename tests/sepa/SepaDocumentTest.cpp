#include "sepa/SepaDocument.h"
#include "sepa/SepaSchema.h"

#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <vector>

using namespace qvl;

namespace {

// A German debtor, one without BIC, one with a hostile name and one in Switzerland.
SepaHeader smallRunHeader()
{
    SepaHeader h;
    h.messageId = u"10011003"_qs;
    h.created = QDateTime(QDate(2026, 12, 5), QTime(14, 30, 15));
    h.numberOfTransactions = 3;
    h.controlSum = u"246.85"_qs;
    h.creditorName = u"Forstbetriebsgemeinschaft Süd-Wald e.V."_qs;
    h.dueDate = u"2026-12-15"_qs;
    h.creditorIban = u"DE89370400440532013000"_qs;
    h.creditorBic = u"COBADEFFXXX"_qs;
    return h;
}

SepaTransaction transaction(const QString &mandate, const QString &amount, const QString &bic,
                            const QString &name, const QString &iban, const QString &remittance)
{
    SepaTransaction t;
    t.mandateId = mandate;
    t.amount = amount;
    t.signatureDate = u"2026-12-05"_qs;
    t.creditorId = u"DE98ZZZ09999999999"_qs;
    t.debtorBic = bic;
    t.debtorName = name;
    t.debtorIban = iban;
    t.remittance = remittance;
    return t;
}

std::vector<SepaTransaction> smallRunTransactions()
{
    SepaTransaction german = transaction(u"MG-1001"_qs, u"123.45"_qs, u"BYLADEM1001"_qs,
        u"Mueller Hans, 12345 Waldstadt, Forstweg 1"_qs, u"DE02120300000000202051"_qs,
        u"Beitrag Jahr 2026 12,5ha  MandatNr.: MG-1001 INKL. 19% MWST "_qs);
    german.street = u"Forstweg 1"_qs; // inside the EEA: no address in the file
    german.postcode = u"12345"_qs;
    german.town = u"Waldstadt"_qs;
    const SepaTransaction hostile = transaction(u"MG-1002"_qs, u"23.4"_qs, u"NOTPROVIDED"_qs,
        u"Dupont & Fils <\"Forst\"> 'Èçole', 79100 Freiburg, Hauptstr. 7"_qs, u"AT611904300234573201"_qs,
        u"Beitrag Jahr 2026 3,25ha  MandatNr.: MG-1002 für Wege + Gräben"_qs);
    SepaTransaction swiss = transaction(u"MG-1003"_qs, u"100"_qs, u"UBSWCHZH80A"_qs,
        u"Keller Urs, 8001 Zuerich, Bahnhofstrasse 10"_qs, u"CH9300762011623852957"_qs,
        u"Beitrag Jahr 2026 40ha  MandatNr.: MG-1003"_qs);
    swiss.street = u"Bahnhofstraße 10"_qs;
    swiss.postcode = u"8001"_qs;
    swiss.town = u"Zürich"_qs;
    return {german, hostile, swiss};
}

QString document(SepaFormat format, const SepaHeader &header, const std::vector<SepaTransaction> &transactions)
{
    QString text = QString::fromUtf8(sepaHeaderBlock(format, header));
    for (const SepaTransaction &t : transactions)
        text += QString::fromUtf8(sepaTransactionBlock(format, t));
    return text + QString::fromUtf8(sepaFooterBlock(format));
}

QString readUtf8(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The schema's complaint about TEXT, empty when the document is valid.
QString schemaErrors(SepaFormat format, const QString &text)
{
    const std::optional<SepaSchemaError> error = sepaSchemaError(format, text.toUtf8());
    return error ? QString::number(error->line) + u": "_qs + error->message : QString();
}

// Texts of every element named TAG.
QStringList elementTexts(const QString &text, const QString &tag)
{
    QStringList texts;
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == tag)
            texts << reader.readElementText();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return texts;
}

class SepaDocumentFormats : public testing::TestWithParam<SepaFormat>
{
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Versions, SepaDocumentFormats,
                         testing::Values(SepaFormat::Pain00800102, SepaFormat::Pain00800108),
                         [](const auto &info) { return sepaFormatText(info.param).remove(u'.').toStdString(); });

TEST_P(SepaDocumentFormats, SmallRunMatchesTheGoldenFileAndTheSchema)
{
    const QString text = document(GetParam(), smallRunHeader(), smallRunTransactions());
    const QString golden = readUtf8(QStringLiteral(QVL_SOURCE_DIR "/tests/sepa/golden/small-run.")
                                    + sepaFormatText(GetParam()) + u".xml"_qs);
    EXPECT_EQ(text.toStdString(), golden.toStdString());

    EXPECT_EQ(schemaErrors(GetParam(), text).toStdString(), "");
}

TEST_P(SepaDocumentFormats, HostileTextsAreReducedCutAndStayValid)
{
    const QString hostile = u"A&B <C> \"D\" 'E' Ärger È ç 🌲 Øre Łódź"_qs;
    SepaHeader header = smallRunHeader();
    header.creditorName = hostile + QString(200, u'ß');
    header.numberOfTransactions = 2;
    SepaTransaction t = smallRunTransactions()[2];
    t.debtorName = hostile + QString(200, u'x');
    t.remittance = QString(139, u'r') + u"ß"_qs + hostile;
    t.street = QString(80, u'ä');
    t.town = u"🌲"_qs + QString(50, u'Z');
    t.postcode = QString(); // left out, not written empty
    SepaTransaction odd = smallRunTransactions()[0];
    odd.mandateId = u"<M&'\">"_qs;
    odd.debtorName = u"🌲"_qs.repeated(200);

    const QString text = document(GetParam(), header, {t, odd});
    EXPECT_EQ(schemaErrors(GetParam(), text).toStdString(), "");
    for (const QString &name : elementTexts(text, u"Nm"_qs))
        EXPECT_LE(name.size(), 70) << name.toStdString();
    EXPECT_EQ(elementTexts(text, u"Ustrd"_qs).value(0), QString(139, u'r') + u's');
    EXPECT_EQ(elementTexts(text, u"MndtId"_qs).value(1), odd.mandateId);
    EXPECT_EQ(elementTexts(text, u"Nm"_qs).value(2), u"A&B  C   D  'E' Arger E c   Ore Lodz"_qs + QString(34, u'x'));
    if (GetParam() == SepaFormat::Pain00800108) {
        EXPECT_EQ(elementTexts(text, u"StrtNm"_qs), QStringList{QString(70, u'a')});
        EXPECT_EQ(elementTexts(text, u"TwnNm"_qs), QStringList{u" "_qs + QString(34, u'Z')});
        EXPECT_FALSE(text.contains(u"PstCd"_qs));
    }
}

// The validator names where the first error lies: the transaction block and element, or
// the line when it lies outside any block.
TEST_P(SepaDocumentFormats, TheValidatorLocatesTheFirstError)
{
    const QByteArray valid = document(GetParam(), smallRunHeader(), smallRunTransactions()).toUtf8();
    const auto nth = [&](const QByteArray &what, int n) {
        qsizetype at = -1;
        for (int i = 0; i <= n; ++i)
            at = valid.indexOf(what, at + 1);
        return at;
    };
    const struct {
        QByteArray document;
        qint64 transaction;
        QString element;
        int line;
    } cases[] = {
        {QByteArray(valid).insert(valid.indexOf("</MsgId>"), QByteArray(30, '9')), -1, u"MsgId"_qs, 5},
        {QByteArray(valid).insert(nth("<IBAN>", 2) + 6, "?"), 1, u"IBAN"_qs, 0},
        {QByteArray(valid).insert(nth("<Nm>", 4) + 4, "\x01"), 2, u"Nm"_qs, 0},
        {valid.left(valid.indexOf("        </PmtInf>")), -1, {}, 0},
    };
    EXPECT_FALSE(sepaSchemaError(GetParam(), valid).has_value());
    for (const auto &c : cases) {
        const std::optional<SepaSchemaError> error = sepaSchemaError(GetParam(), c.document);
        ASSERT_TRUE(error.has_value()) << c.element.toStdString();
        EXPECT_EQ(error->transaction, c.transaction) << error->message.toStdString();
        if (!c.element.isEmpty()) {
            EXPECT_EQ(error->element, c.element) << error->message.toStdString();
        }
        if (c.line > 0) {
            EXPECT_EQ(error->line, c.line);
        }
    }
}

// The validator skips the writer's indentation before parsing; whatever the size of the
// pieces it is fed in, it judges the file's own text and names the file's own lines.
TEST_P(SepaDocumentFormats, TheVerdictDoesNotDependOnHowTheFileIsCut)
{
    const QByteArray valid = document(GetParam(), smallRunHeader(), smallRunTransactions()).toUtf8();
    const QByteArray longMsgId = QByteArray(valid).insert(valid.indexOf("</MsgId>"), QByteArray(30, '9'));
    // Blanks after a line break inside a value count: 1 + 139 + 1 characters are one too many.
    const qsizetype remittance = valid.indexOf("<Ustrd>") + 7;
    const QByteArray blanksInValue =
        QByteArray(valid).replace(remittance, valid.indexOf("</Ustrd>") - remittance, "\n" + QByteArray(139, ' ') + "x");
    const QByteArray blanksThatFit =
        QByteArray(valid).replace(remittance, valid.indexOf("</Ustrd>") - remittance, "\n" + QByteArray(130, ' ') + "x");
    for (const int piece : {1, 2, 3, 7, 64, 1 << 20}) {
        const auto verdict = [&](const QByteArray &text) {
            SepaValidator validator(GetParam());
            for (qsizetype at = 0; at < text.size(); at += piece)
                validator.feed(text.mid(at, piece));
            return validator.finish();
        };
        EXPECT_FALSE(verdict(valid).has_value()) << piece;
        EXPECT_FALSE(verdict(blanksThatFit).has_value()) << piece;
        const auto tooLong = verdict(blanksInValue);
        ASSERT_TRUE(tooLong.has_value()) << piece;
        EXPECT_EQ(tooLong->element, u"Ustrd"_qs) << piece;
        const auto msgId = verdict(longMsgId);
        ASSERT_TRUE(msgId.has_value()) << piece;
        EXPECT_EQ(msgId->line, 5) << piece;
    }
}

TEST_P(SepaDocumentFormats, OneTransactionRunUsesTheFirstNumberOnly)
{
    SepaHeader header = smallRunHeader();
    header.messageId = u"1001"_qs;
    header.numberOfTransactions = 1;
    header.controlSum = u"123.45"_qs;
    const QString text = document(GetParam(), header, {smallRunTransactions()[0]});
    EXPECT_TRUE(text.contains(u"\r\n         <PmtInfId>LS001001</PmtInfId>\r\n"_qs));
    EXPECT_EQ(schemaErrors(GetParam(), text).toStdString(), "");
}

TEST(SepaDocument, PostalAddressOnlyForTwoLetterCountriesOutsideTheEea)
{
    const struct {
        const char16_t *iban;
        bool address;
    } cases[] = {{u"CH9300762011623852957", true}, {u"GB29NWBK60161331926819", true},
                 {u"MC5811222000010123456789030", true}, {u"SM86U0322509800000000270100", true},
                 {u"NO9386011117947", false},      {u"FR1420041010050500013M02606", false},
                 {u"", false},                     {u" CH9300762011623852957", false}};
    for (const auto &c : cases) {
        SepaTransaction t = smallRunTransactions()[2];
        t.debtorIban = QString::fromUtf16(c.iban);
        const QString block = QString::fromUtf8(sepaTransactionBlock(SepaFormat::Pain00800108, t));
        const QString ctry = u"<Ctry>"_qs + t.debtorIban.left(2) + u"</Ctry>"_qs;
        EXPECT_EQ(block.contains(ctry), c.address) << t.debtorIban.toStdString();
        EXPECT_FALSE(sepaTransactionBlock(SepaFormat::Pain00800102, t).contains("PstlAdr"));
    }
}

TEST(SepaDocument, FormatNames)
{
    const std::pair<QString, SepaFormat> cases[] = {
        {u"pain.008.001.02"_qs, SepaFormat::Pain00800102}, {u"pain.008.001.08"_qs, SepaFormat::Pain00800108},
        {u""_qs, SepaFormat::Pain00800108}, {u"pain.008.003.02"_qs, SepaFormat::Pain00800108}};
    for (const auto &[text, format] : cases)
        EXPECT_EQ(sepaFormatFromText(text), format) << text.toStdString();
    for (SepaFormat format : {SepaFormat::Pain00800102, SepaFormat::Pain00800108})
        EXPECT_EQ(sepaFormatFromText(sepaFormatText(format)), format);
}

TEST(SepaDocument, BankCharset)
{
    const std::pair<QString, QString> cases[] = {
        {u"Èçole"_qs, u"Ecole"_qs}, {u"Łukasz Wałęsa"_qs, u"Lukasz Walesa"_qs}, {u"Straße"_qs, u"Strasse"_qs},
        {u"Øster Æbelø"_qs, u"Oster AEbelo"_qs}, {u"Œuvre œ đ Đ ı"_qs, u"OEuvre oe d D i"_qs},
        {u"Ärger Öl Über"_qs, u"Arger Ol Uber"_qs}, {u"5 €"_qs, u"5  "_qs}, {u"🌲x"_qs, u" x"_qs},
        {u"a<b>\"c\";d_e#f@g!\r\n"_qs, u"a b  c  d e f g   "_qs},
        {u"az AZ 09 ':?,-(+.)/&*$%"_qs, u"az AZ 09 ':?,-(+.)/&*$%"_qs}, {u""_qs, u""_qs}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(bankCharset(in).toStdString(), out.toStdString()) << in.toStdString();

    // What the check before a run names: the characters that only become a blank, once each;
    // a letter that loses its diacritic and a line break (a blank anyway) do not count.
    const std::pair<QString, QString> losses[] = {
        {u"Łukasz Wałęsa Straße Èçole"_qs, u""_qs}, {u"5 € 6 €"_qs, u"€"_qs}, {u"🌲x🌲"_qs, u"🌲"_qs},
        {u"a<b>\"c\";d_e#f@g!\r\n\t"_qs, u"<>\";_#@!"_qs}, {u"Ω-Weg 1"_qs, u"Ω"_qs}};
    for (const auto &[in, lost] : losses)
        EXPECT_EQ(bankCharsetLosses(in).toStdString(), lost.toStdString()) << in.toStdString();
}

TEST(SepaDocument, XmlEscape)
{
    const std::pair<QString, QString> cases[] = {
        {u"A&B"_qs, u"A&amp;B"_qs}, {u"<x>"_qs, u"&lt;x&gt;"_qs}, {u"\"q\" 'a'"_qs, u"&quot;q&quot; &apos;a&apos;"_qs},
        {u"&amp;"_qs, u"&amp;amp;"_qs}, {u"plain 1.5"_qs, u"plain 1.5"_qs}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(xmlEscape(in).toStdString(), out.toStdString());
}
