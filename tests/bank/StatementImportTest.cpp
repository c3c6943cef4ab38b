// A reading streamed from the file to the register part by part: the same register as a
// reading applied whole, nothing applied when one file fails, statements read twice skipped.
#include "bank/CamtBuilder.h"
#include "bank/MatchingText.h"
#include "bank/StatementImport.h"
#include "db/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct Register {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    explicit Register(const QList<RegisteredDocument> &documents)
    {
        const QString file = dir.filePath(u"register.sqlite"_qs);
        QFile(file).open(QIODevice::WriteOnly);
        db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
        db->run(u"create table PERSONAL_MG_BEITRAGE (id_personal integer, r_name text, datum_bezahlt text)"_qs);
        Transaction t(*db);
        registerDocuments(*db, documents);
        t.commit();
    }
    QStringList payments() const
    {
        QStringList rows;
        for (const RecordedPayment &p : readPayments(*db))
            rows << QString::number(p.number) + u' ' + paymentKindText(p.kind) + u' ' + QString::number(p.cents) + u' '
                        + p.booked.toString(Qt::ISODate);
        return rows;
    }
};

QList<RegisteredDocument> documents()
{
    QList<RegisteredDocument> all;
    for (int i = 0; i < 12; ++i) {
        RegisteredDocument d;
        d.number = 1001 + i;
        d.idPersonal = 1 + i;
        d.nummer = 100 + i;
        d.name = u"Besitzer"_qs + QString::number(i) + u" Anna"_qs;
        d.iban = u"DE0012345678900000000"_qs + QString::number(i % 10);
        d.grossCents = 2000 + 100 * i;
        d.run = u"2026 Mitgliedsbeitrag"_qs;
        if (i >= 10) {
            d.kind = DocumentKind::FeeNotice;
            d.way = PaymentWay::DirectDebit;
            d.mandate = u"M-"_qs + QString::number(i);
        }
        all.append(d);
    }
    return all;
}

TestEntry paying(const RegisteredDocument &d, qint64 cents, const QString &text, const QString &ref, int day)
{
    TestTransaction t;
    t.cents = cents;
    t.name = u"Zahler"_qs;
    t.remittance = {text};
    return {cents, true, QDate(2027, 1, day), ref, {}, 0, {t}};
}

} // namespace

TEST(StatementImport, PartsApplyAsTheWholeDoesAndAFailedFileAppliesNothing)
{
    const QList<RegisteredDocument> docs = documents();
    TestTransaction back;
    back.cents = docs[10].grossCents;
    back.originalCents = docs[10].grossCents;
    back.endToEndId = docs[10].mandate;
    back.returnCode = u"MD06"_qs;
    const QList<TestEntry> first{
        paying(docs[0], docs[0].grossCents, u"RE 1001"_qs, u"T-1"_qs, 4),
        paying(docs[1], 1000, u"RE 1002"_qs, u"T-2"_qs, 4),
        paying(docs[1], docs[1].grossCents - 1000, u"RE 1002 Rest"_qs, u"T-3"_qs, 5), // settles it in the next part
        {back.cents, false, QDate(2027, 1, 6), u"R-1"_qs, {}, 0, {back}},
        paying(docs[2], 999, u"Spende"_qs, u"T-4"_qs, 6), // assigned by hand below
    };
    const QList<TestEntry> second{
        paying(docs[0], docs[0].grossCents, u"RE 1001"_qs, u"T-1"_qs, 4), // the same booking, notified again
        paying(docs[3], docs[3].grossCents, u"Beleg 1004"_qs, u"NONREF"_qs, 7),
        paying(docs[4], docs[4].grossCents, u"Beleg 1005"_qs, u"NONREF"_qs, 7),
    };
    QTemporaryDir files;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(files.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QStringList paths{write(u"a.xml"_qs, camtDocument(u"camt.053.001.08"_qs, first)),
                            write(u"b.xml"_qs, camtDocument(u"camt.054.001.02"_qs, second))};
    const QDateTime now(QDate(2027, 1, 31), QTime(16, 45));

    // Whole: read, matched, assigned by hand and applied at once.
    Register whole(docs);
    {
        CamtReading reading = readCamtFiles(paths);
        ASSERT_TRUE(reading.refused.isEmpty()) << reading.refused.join(u'\n').toStdString();
        Matching m = matchEntries(reading.entries, readDocuments(*whole.db), {}, {});
        QString error;
        ASSERT_TRUE(assignByHand(m, 4, 1003, OpenBalances(docs, {}), &error)) << error.toStdString();
        applyMatching(*whole.db, m, {}, now);
    }

    // In parts of two: each part numbered on, the hand's assignment made in its part.
    Register parts(docs);
    StatementImportRequest request;
    request.paths = paths;
    request.apply = true;
    request.partSize = 2;
    request.now = now;
    request.assignments = {{5, 1003}};
    QStringList lines;
    QList<int> firsts;
    const StatementImport streamed = importStatements(*parts.db, request, [&](Matching &part) {
        EXPECT_LE(part.matches.size(), 2);
        firsts << part.first;
        lines << matchingLines(part).split(u'\n', Qt::SkipEmptyParts);
    });
    ASSERT_TRUE(streamed.refused.isEmpty() && streamed.assignErrors.isEmpty());
    ASSERT_TRUE(streamed.applied);
    EXPECT_EQ(firsts, (QList<int>{0, 2, 4, 6}));
    ASSERT_EQ(lines.size(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(lines[i].startsWith(QString::number(i + 1).rightJustified(4) + u"  "_qs)) << lines[i].toStdString();
    EXPECT_TRUE(lines[2].contains(u"bezahlt: Beleg 1002"_qs)) << lines[2].toStdString();
    EXPECT_TRUE(lines[4].contains(u"von Hand zugeordnet"_qs)) << lines[4].toStdString();
    EXPECT_TRUE(lines[5].contains(u"bereits eingelesen"_qs)) << lines[5].toStdString();
    EXPECT_EQ(streamed.counts[std::size_t(MatchKind::AlreadyRead)], 1);
    EXPECT_EQ(streamed.counts[std::size_t(MatchKind::Returned)], 1);
    EXPECT_EQ(streamed.entries, 8);
    EXPECT_EQ(streamed.applied->entries, 7);
    EXPECT_EQ(parts.payments(), whole.payments());
    EXPECT_EQ(parts.payments().size(), 7);

    // Both statements recorded; read again, each is skipped as a whole and nothing changes.
    const QHash<QString, StatementRead> statements = statementsRead(*parts.db);
    ASSERT_EQ(statements.size(), 2);
    EXPECT_EQ(statements.value(streamed.statements.value(1).key()).entries, 3);
    EXPECT_TRUE(streamed.statements.value(1).notification);
    StatementImport again = importStatements(*parts.db, request, [&](Matching &) { ADD_FAILURE(); });
    EXPECT_EQ(again.entries, 0);
    ASSERT_EQ(again.skipped.size(), 2);
    EXPECT_TRUE(again.skipped[0].startsWith(u"Der Kontoauszug „A-"_qs)) << again.skipped[0].toStdString();
    EXPECT_TRUE(again.skipped[0].endsWith(u"in „a.xml“ wurde bereits am 31.01.2027 um 16:45 Uhr eingelesen (aus "
                                          "„a.xml“); seine 5 Umsätze werden übersprungen."_qs))
        << again.skipped[0].toStdString();
    EXPECT_TRUE(again.skipped[1].startsWith(u"Die Buchungsbenachrichtigung „A-"_qs)) << again.skipped[1].toStdString();
    // (the assignment's entry is no longer there)
    EXPECT_EQ(again.assignErrors, QStringList{u"Es gibt keinen Umsatz Nr. 5."_qs});
    EXPECT_EQ(parts.payments(), whole.payments());

    // Another statement the bank gave the same id is no statement read twice: read, not skipped.
    request.assignments.clear();
    request.paths = {write(u"c.xml"_qs, camtDocument(u"camt.053.001.08"_qs, {paying(docs[6], 700, u"RE 1007"_qs, u"NONREF"_qs, 9)},
                                                   kOurAccount, u"2027-01/4"_qs))};
    ASSERT_TRUE(importStatements(*parts.db, request, [](Matching &) {}).applied);
    request.paths = {write(u"d.xml"_qs, camtDocument(u"camt.053.001.08"_qs, {paying(docs[7], 800, u"RE 1008"_qs, u"NONREF"_qs, 9)},
                                                   kOurAccount, u"2027-01/4"_qs))};
    const StatementImport sameId = importStatements(*parts.db, request, [](Matching &) {});
    EXPECT_TRUE(sameId.skipped.isEmpty()) << sameId.skipped.join(u'\n').toStdString();
    EXPECT_EQ(sameId.entries, 1);
    EXPECT_EQ(sameId.applied->payments, 1);
    EXPECT_EQ(importStatements(*parts.db, request, [](Matching &) {}).skipped.size(), 1);

    // A file that fails after the others were matched and partly applied: nothing stays.
    Register failing(docs);
    request.paths = paths;
    QByteArray broken = camtDocument(u"camt.053.001.08"_qs, {paying(docs[5], 100, u"RE 1006"_qs, u"T-9"_qs, 8)});
    broken.replace("<CdtDbtInd>CRDT</CdtDbtInd>", "<CdtDbtInd>HABEN</CdtDbtInd>");
    request.paths << write(u"kaputt.xml"_qs, broken);
    const StatementImport refused = importStatements(*failing.db, request, [](Matching &) {});
    EXPECT_EQ(refused.refused.size(), 1);
    EXPECT_FALSE(refused.applied);
    EXPECT_TRUE(failing.payments().isEmpty());
    EXPECT_TRUE(statementsRead(*failing.db).isEmpty());
}
