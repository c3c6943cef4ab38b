#include "bank/CamtBuilder.h"
#include "bank/CamtReader.h"

#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
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
        {u"1,50", {}}, {u"-3.00", {}},      {u"", {}},                      {u" 12.30 ", 1230},
        // As the schema writes a decimal: a sign, a point without digits, trailing zeros.
        {u"+10.00", 1000}, {u"10.", 1000}, {u".5", 50}, {u"10.000", 1000}, {u"-0.00", 0},
        // A fraction of a cent is no amount in euro.
        {u"10.009", {}}, {u"10.00001", {}}, {u".", {}}, {u"+", {}}, {u"1e3", {}}};
    for (const auto &[text, cents] : cases)
        EXPECT_EQ(camtCents(QStringView(text)), cents) << QString::fromUtf16(text).toStdString();
}

TEST(CamtReader, AmountsAreReadExactlyOrTheFileIsRefusedWithItsLine)
{
    const QByteArray base = camtDocument(u"camt.053.001.08"_qs, sampleEntries());
    for (const char *written : {"+99.50", "99.5", "0099.50000"}) {
        QByteArray bytes = base;
        bytes.replace("<Amt Ccy=\"EUR\">99.50</Amt><CdtDbtInd>CRDT", QByteArray("<Amt Ccy=\"EUR\">") + written
                                                                          + "</Amt><CdtDbtInd>CRDT");
        QList<BankEntry> entries;
        ASSERT_EQ(readBytes(u"a.xml"_qs, bytes, entries), QString()) << written;
        EXPECT_EQ(entries.value(2).cents, 9950) << written;
    }
    QByteArray tooFine = base;
    tooFine.replace("<Amt Ccy=\"EUR\">99.50</Amt><CdtDbtInd>CRDT", "<Amt Ccy=\"EUR\">99.509</Amt><CdtDbtInd>CRDT");
    const int line = int(tooFine.left(tooFine.indexOf("99.509")).count('\n')) + 1;
    QList<BankEntry> entries;
    const QString refused = readBytes(u"a.xml"_qs, tooFine, entries);
    EXPECT_EQ(refused, u"Die Datei „a.xml“ wurde nicht gelesen: der Betrag „99.509“ ist kein genauer Betrag in EUR "
                       "(höchstens 2 Nachkommastellen) (Zeile "_qs
                           + QString::number(line) + u")."_qs);
    EXPECT_TRUE(entries.isEmpty());
}

TEST(CamtReader, EntriesKeepTheirIdentityCurrencyAndDateWithoutReferenceOrBookingDate)
{
    TestTransaction payment;
    payment.cents = 2000;
    payment.name = u"Weber Karl"_qs;
    payment.remittance = {u"Beitrag"_qs};
    TestEntry nonref{2000, true, QDate(2027, 1, 12), u"NONREF"_qs, {}, 0, {payment}};
    TestEntry none = nonref;
    none.reference.clear();
    none.bookingDate = false; // ValDt stands in
    TestEntry dollars = nonref;
    dollars.currency = u"USD"_qs;
    for (const QString &message : kMessages) {
        SCOPED_TRACE(message.toStdString());
        QList<BankEntry> entries;
        ASSERT_EQ(readBytes(u"a.xml"_qs, camtDocument(message, {nonref, nonref, none, dollars}, kOurAccount, u"2027-4"_qs),
                            entries),
                  QString());
        ASSERT_EQ(entries.size(), 4);
        // Two equal payments without a bank reference: two identities; read again, the same.
        EXPECT_NE(entries[0].key(), entries[1].key());
        EXPECT_TRUE(entries[0].identity().startsWith(u"Auszug 2027-4 Nr. 1 "_qs)) << entries[0].identity().toStdString();
        QList<BankEntry> again;
        readBytes(u"a.xml"_qs, camtDocument(message, {nonref, nonref, none, dollars}, kOurAccount, u"2027-4"_qs), again);
        EXPECT_EQ(again.value(1).key(), entries[1].key());
        EXPECT_EQ(entries[2].booked, QDate(2027, 1, 12));
        EXPECT_FALSE(entries[2].identity().isEmpty());
        EXPECT_EQ(entries[0].accountCurrency, u"EUR"_qs);
        EXPECT_FALSE(entries[0].foreignCurrency());
        EXPECT_EQ(entries[3].currency, u"USD"_qs);
        EXPECT_TRUE(entries[3].foreignCurrency());
        EXPECT_EQ(entries[3].cents, 2000);
    }
}

TEST(CamtReader, Utf16StatementsAreReadAndLibxmlNeverSpeaksToTheClerk)
{
    const QString text = QString::fromUtf8(camtDocument(u"camt.053.001.02"_qs, sampleEntries()))
                             .replace(u"encoding=\"UTF-8\""_qs, u"encoding=\"UTF-16\""_qs);
    for (const bool bigEndian : {false, true}) {
        QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
        for (const QChar c : text) {
            const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
            bytes.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
        }
        QList<BankEntry> entries;
        const QString refused = readBytes(u"utf16.xml"_qs, bytes, entries);
        ASSERT_TRUE(refused.isEmpty()) << bigEndian << refused.toStdString();
        ASSERT_EQ(entries.size(), 3);
        EXPECT_EQ(entries[2].transactions.value(0).name, u"Müller & Söhne"_qs);
    }

    // A schema error: the element and what is wrong, in German; the first error ends the reading.
    QByteArray wrongOrder = camtDocument(u"camt.053.001.08"_qs, sampleEntries());
    wrongOrder.replace("<CdtDbtInd>CRDT</CdtDbtInd><Sts>", "<Sts>");
    QList<BankEntry> entries;
    const QString refused = readBytes(u"a.xml"_qs, wrongOrder, entries);
    EXPECT_TRUE(refused.contains(u"sie entspricht nicht dem Schema „camt.053.001.08“ – das Element „"_qs))
        << refused.toStdString();
    for (const char16_t *english : {u"Element '", u"expected", u"xmlschemas", u"{urn:"})
        EXPECT_FALSE(refused.contains(QString::fromUtf16(english))) << refused.toStdString();
    const QString notXml = readBytes(u"a.xml"_qs, camtDocument(u"camt.053.001.08"_qs, {}).replace("</Stmt>", "</Stm>"),
                                     entries);
    EXPECT_TRUE(notXml.contains(u"kein vollständiges, wohlgeformtes XML"_qs)) << notXml.toStdString();

    // A document broken at line 3 is not read to its end: the reading stops at the error.
    QByteArray early = camtDocument(u"camt.053.001.08"_qs, {});
    early.replace("<GrpHdr><MsgId>AUSZUG-1</MsgId>", "<GrpHdr><Unbekannt/><MsgId>AUSZUG-1</MsgId>");
    QByteArray tail;
    for (int i = 0; i < 20000; ++i)
        tail += "<!-- " + QByteArray(90, 'x') + " -->\n";
    early.replace("</Document>", tail + "</Document>");
    qint64 delivered = 0;
    QList<BankEntry> none;
    const QString stopped = readCamtDocument(u"a.xml"_qs, [&](char *buffer, qint64 size) -> qint64 {
        const qint64 n = std::min<qint64>(size, early.size() - delivered);
        memcpy(buffer, early.constData() + delivered, size_t(n));
        delivered += n;
        return n;
    }, none);
    const int line = int(early.left(early.indexOf("<Unbekannt")).count('\n')) + 1;
    EXPECT_TRUE(stopped.contains(u"(Zeile "_qs + QString::number(line) + u")"_qs)) << stopped.toStdString();
    EXPECT_LT(delivered, early.size() / 4);
}

TEST(CamtReader, ZipArchivesWithoutStatementsDamagedOrBombsAreRefusedInGerman)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(u"leer.zip"_qs);
    ASSERT_TRUE(writeZip(empty, {{u"liesmich.txt"_qs, QByteArray("nichts")}}));
    const QString damaged = dir.filePath(u"kaputt.zip"_qs);
    {
        const QString good = dir.filePath(u"gut.zip"_qs);
        ASSERT_TRUE(writeZip(good, {{u"a.xml"_qs, camtDocument(u"camt.053.001.02"_qs, sampleEntries())}}));
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        bytes.truncate(bytes.size() - 30); // the end of its directory cut off
        QFile d(damaged);
        ASSERT_TRUE(d.open(QIODevice::WriteOnly));
        d.write(bytes);
    }
    // 64 MB of blanks, packed into less than a hundred kilobytes.
    const QString bomb = dir.filePath(u"bombe.zip"_qs);
    {
        QByteArray huge(qsizetype(64) << 20, ' ');
        const QByteArray head = camtDocument(u"camt.053.001.02"_qs, {}).left(60);
        huge.replace(0, head.size(), head);
        ASSERT_TRUE(writeZip(bomb, {{u"auszug.xml"_qs, huge}}));
    }
    EXPECT_LT(QFileInfo(bomb).size(), 200 << 10);
    QElapsedTimer timer;
    timer.start();
    const CamtReading reading = readCamtFiles({empty, damaged, bomb});
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_EQ(reading.refused.size(), 3) << reading.refused.join(u'\n').toStdString();
    EXPECT_EQ(reading.refused[0], u"Die Datei „leer.zip“ wurde nicht gelesen: das ZIP-Archiv enthält keinen Kontoauszug "
                                  "(keine XML-Datei)."_qs);
    EXPECT_TRUE(reading.refused[1].startsWith(u"Die Datei „kaputt.zip“ wurde nicht gelesen: das ZIP-Archiv ist "
                                              "beschädigt"_qs))
        << reading.refused[1].toStdString();
    EXPECT_TRUE(reading.refused[2].contains(u"„bombe.zip“ wurde nicht gelesen: das ZIP-Archiv wurde nicht entpackt: "
                                            "„auszug.xml“ wäre entpackt 64 MB groß, gepackt nur "_qs))
        << reading.refused[2].toStdString();
}
