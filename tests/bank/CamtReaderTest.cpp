#include "bank/CamtBuilder.h"
#include "bank/CamtReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kMessages[] = {u"camt.053.001.02"_qs, u"camt.053.001.08"_qs, u"camt.054.001.02"_qs,
                             u"camt.054.001.08"_qs};

// A batch credit, a returned debit with a charge, a transfer with two remittance lines.
QList<TestEntry> sampleEntries()
{
    TestEntry batch{12345, true, QDate(2027, 1, 4), u"REF-B"_qs, u"10011022"_qs, 22, {}};
    TestTransaction ret;
    ret.cents = 4500;
    ret.originalCents = 4000;
    ret.endToEndId = u"MANDAT-7"_qs;
    ret.mandateId = u"MANDAT-7"_qs;
    ret.name = u"Schmidt Bernd"_qs;
    ret.iban = u"DE89370400440532013000"_qs;
    ret.returnCode = u"AC04"_qs;
    ret.chargeCents = 500;
    TestEntry returned{4500, false, QDate(2027, 1, 10), u"REF-R"_qs, {}, 0, {ret}};
    TestTransaction payment;
    payment.cents = 9950;
    payment.name = u"Müller & Söhne"_qs;
    payment.iban = u"DE44500105175407324931"_qs;
    payment.remittance = {u"RE 10"_qs, u"23 Beitrag"_qs};
    TestEntry transfer{9950, true, QDate(2027, 1, 12), u"REF-T"_qs, {}, 0, {payment}};
    return {batch, returned, transfer};
}

QString readBytes(const QString &name, const QByteArray &bytes, QList<BankEntry> &entries, CamtDocument *doc = nullptr)
{
    qsizetype pos = 0;
    return readCamtDocument(name, [&](char *buffer, qint64 size) -> qint64 {
        // Small pieces, so that the namespace and elements cross the reads.
        const qint64 n = std::min<qint64>({size, 97, bytes.size() - pos});
        memcpy(buffer, bytes.constData() + pos, size_t(n));
        pos += n;
        return n;
    }, entries, doc);
}

} // namespace

TEST(CamtReader, ReadsEveryMessageAndVersionAlike)
{
    for (const QString &message : kMessages) {
        SCOPED_TRACE(message.toStdString());
        QList<BankEntry> entries;
        CamtDocument doc;
        ASSERT_EQ(readBytes(u"auszug.xml"_qs, camtDocument(message, sampleEntries()), entries, &doc), QString());
        EXPECT_EQ(doc.message, message);
        ASSERT_EQ(entries.size(), 3);

        const BankEntry &batch = entries[0];
        EXPECT_EQ(batch.account, kOurAccount);
        EXPECT_EQ(batch.cents, 12345);
        EXPECT_TRUE(batch.credit);
        EXPECT_EQ(batch.booked, QDate(2027, 1, 4));
        EXPECT_EQ(batch.reference, u"REF-B"_qs);
        EXPECT_EQ(batch.batchMessageId, u"10011022"_qs);
        EXPECT_EQ(batch.batchCount, 22);
        ASSERT_EQ(batch.transactions.size(), 1); // the entry stands for itself
        EXPECT_EQ(batch.transactions[0].cents, 12345);

        const BankEntry &ret = entries[1];
        EXPECT_FALSE(ret.credit);
        ASSERT_EQ(ret.transactions.size(), 1);
        const BankTransaction &r = ret.transactions[0];
        EXPECT_TRUE(r.isReturn);
        EXPECT_EQ(r.returnCode, u"AC04"_qs);
        EXPECT_EQ(r.originalCents, 4000);
        EXPECT_EQ(r.cents, 4500);
        EXPECT_EQ(r.chargeCents, 500);
        EXPECT_EQ(r.endToEndId, u"MANDAT-7"_qs);
        EXPECT_EQ(r.mandateId, u"MANDAT-7"_qs);
        EXPECT_EQ(r.name, u"Schmidt Bernd"_qs);
        EXPECT_EQ(r.iban, u"DE89370400440532013000"_qs);

        const BankTransaction &t = entries[2].transactions.value(0);
        EXPECT_FALSE(t.isReturn);
        EXPECT_EQ(t.name, u"Müller & Söhne"_qs);
        EXPECT_EQ(t.remittance, u"RE 10\n23 Beitrag"_qs);
        EXPECT_EQ(entries[2].key(), kOurAccount + u"|REF-T|2027-01-12|9950|CRDT"_qs);
    }
}

TEST(CamtReader, RefusesWhatItCannotReadByNameAndLine)
{
    QByteArray invalid = camtDocument(u"camt.053.001.08"_qs, sampleEntries());
    // An amount the schema does not take, in the entry's line.
    invalid.replace("<Amt Ccy=\"EUR\">99.50</Amt><CdtDbtInd>CRDT", "<Amt Ccy=\"EUR\">99,50</Amt><CdtDbtInd>CRDT");
    const int badLine = int(invalid.left(invalid.indexOf("99,50")).count('\n')) + 1;
    QByteArray pain;
    {
        QFile sample(u"/work/shared/xsd/sample-pain.008.001.02.xml"_qs);
        pain = sample.open(QIODevice::ReadOnly) ? sample.readAll()
                                                : QByteArray("<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:"
                                                             "pain.008.001.02\"/>");
    }
    const struct {
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {invalid, u"Die Datei „a.xml“ wurde nicht gelesen: sie entspricht nicht dem Schema „camt.053.001.08“"_qs
                      + u" – "_qs},
        {camtDocument(u"camt.052.001.08"_qs, {}), u"sie ist eine Nachricht „camt.052.001.08“"_qs},
        {pain, u"sie ist eine Nachricht „pain.008.001.02“"_qs},
        {QByteArray("Buchungstag;Betrag\n"), u"keine ISO-20022-Nachricht"_qs},
        {camtDocument(u"camt.054.001.02"_qs, sampleEntries()).left(900), u"entspricht nicht dem Schema"_qs},
    };
    for (const auto &c : cases) {
        QList<BankEntry> entries;
        const QString refused = readBytes(u"a.xml"_qs, c.bytes, entries);
        EXPECT_TRUE(refused.contains(c.expected)) << refused.toStdString();
        EXPECT_TRUE(refused.startsWith(u"Die Datei „a.xml“"_qs)) << refused.toStdString();
        EXPECT_TRUE(entries.isEmpty());
    }
    QList<BankEntry> entries;
    EXPECT_TRUE(readBytes(u"a.xml"_qs, invalid, entries).contains(u"(Zeile "_qs + QString::number(badLine) + u")."_qs))
        << readBytes(u"a.xml"_qs, invalid, entries).toStdString();
}

TEST(CamtReader, ReadsFilesAndZipArchivesAndRefusesEachBadFileApart)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(u"auszug.xml"_qs);
    const QString zip = dir.filePath(u"auszuege.zip"_qs);
    const QString broken = dir.filePath(u"kaputt.zip"_qs);
    {
        QFile f(plain);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(camtDocument(u"camt.053.001.02"_qs, sampleEntries()));
        QFile b(broken);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        b.write("PK\x03\x04 no archive at all");
    }
    ASSERT_TRUE(writeZip(zip, {{u"2027-01.xml"_qs, camtDocument(u"camt.053.001.08"_qs, sampleEntries())},
                               {u"liesmich.txt"_qs, QByteArray("keine Buchungen")},
                               {u"2027-02.XML"_qs, camtDocument(u"camt.054.001.08"_qs, sampleEntries().mid(2))},
                               {u"falsch.xml"_qs, camtDocument(u"camt.052.001.02"_qs, {})}}));
    const CamtReading reading = readCamtFiles({plain, zip, broken, dir.filePath(u"fehlt.xml"_qs)});
    EXPECT_EQ(reading.entries.size(), 3 + 3 + 1);
    ASSERT_EQ(reading.documents.size(), 3);
    EXPECT_EQ(reading.documents[1].file, u"auszuege.zip:2027-01.xml"_qs);
    EXPECT_EQ(reading.documents[2].message, u"camt.054.001.08"_qs);
    EXPECT_EQ(reading.entries.last().file, u"auszuege.zip:2027-02.XML"_qs);
    ASSERT_EQ(reading.refused.size(), 3) << reading.refused.join(u'\n').toStdString();
    EXPECT_TRUE(reading.refused[0].contains(u"auszuege.zip:falsch.xml"_qs));
    EXPECT_TRUE(reading.refused[1].contains(u"„kaputt.zip“"_qs));
    EXPECT_TRUE(reading.refused[2].contains(u"„fehlt.xml“"_qs));
}

TEST(CamtReader, AmountsAreExactCents)
{
    const std::pair<const char16_t *, std::optional<qint64>> cases[] = {
        {u"0.01", 1},  {u"1234.5", 123450}, {u"999999999.99", 99999999999}, {u"7", 700},
        {u"1,50", {}}, {u"-3.00", {}},      {u"", {}},                      {u" 12.30 ", 1230}};
    for (const auto &[text, cents] : cases)
        EXPECT_EQ(camtCents(QStringView(text)), cents) << QString::fromUtf16(text).toStdString();
}
