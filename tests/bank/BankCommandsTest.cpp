// The batch commands of the payments, end to end through the batch program.
#include "bank/CamtBuilder.h"
#include "bank/Register.h"
#include "db/Database.h"
#include "support/BatchProcess.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

TEST(BankCommands, ImportPrintsAppliesOnlyWithYesAndRefusesBadFiles)
{
    Workspace ws(15);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    ws.writeSettings(settings);
    const QStringList base{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    BatchResult r = runBatch(base + QStringList{u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs,
                                                u"txtMindestbeitrag1=10"_qs, u"--yes"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    QList<RegisteredDocument> documents;
    {
        const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
        documents = readDocuments(*db);
    }
    ASSERT_GE(documents.size(), 2) << r.out.toStdString() << r.err.toStdString();
    const RegisteredDocument &d = documents[1];
    TestTransaction t;
    t.cents = d.grossCents;
    t.originalCents = d.grossCents;
    t.endToEndId = d.mandate;
    t.returnCode = u"AC04"_qs;
    const QString statement = ws.root() + u"/auszug.xml"_qs;
    {
        QFile f(statement);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(camtDocument(u"camt.054.001.08"_qs,
                             {{d.grossCents, false, QDate(2027, 1, 8), u"R-1"_qs, {}, 0, {t}},
                              {999, true, QDate(2027, 1, 9), u"T-1"_qs, {}, 0, {{999, 0, {}, {}, u"Fremd"_qs, {}, {u"?"_qs}, {}, 0}}}}));
        QFile bad(ws.root() + u"/falsch.xml"_qs);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(camtDocument(u"camt.054.001.08"_qs, {}, kOurAccount, u"1"_qs).replace("<Id>1</Id>", "<Id></Id>"));
    }

    // A refused file: its message, nothing applied, exit 3.
    r = runBatch(base + QStringList{u"--yes"_qs, u"bank-import"_qs, statement, ws.root() + u"/falsch.xml"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"Die Datei „falsch.xml“ wurde nicht gelesen: sie entspricht nicht dem Schema "
                               "„camt.054.001.08“"_qs))
        << r.err.toStdString();
    // Without --yes: shown, not applied.
    r = runBatch(base + QStringList{u"bank-import"_qs, statement});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"   1  08.01.2027  -"_qs)) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"Rücklastschrift: Beleg "_qs + QString::number(d.number) + u' ' + d.name
                               + u" – Mandatsreferenz; Konto erloschen"_qs))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"Nichts übernommen"_qs));
    // Assigned by hand and applied.
    r = runBatch(base + QStringList{u"--yes"_qs, u"--assign"_qs, u"2="_qs + QString::number(documents[0].number),
                                    u"bank-import"_qs, statement});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"Übernommen: 2 Umsätze, 2 Zahlungen und Rücklastschriften."_qs)) << r.out.toStdString();
    // Read again: skipped as a whole, named with the file and when it was applied.
    r = runBatch(base + QStringList{u"--yes"_qs, u"bank-import"_qs, statement});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"“ des Kontos "_qs + kOurAccount + u" in „auszug.xml“ wurde bereits am 06.12.2026 um "
                                                                    "10:00 Uhr eingelesen (aus „auszug.xml“); seine 2 "
                                                                    "Umsätze werden übersprungen.\n\n0 Umsätze.\n"_qs))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"Übernommen: 0 Umsätze"_qs)) << r.out.toStdString();

    // A return the program cannot place (no mandate named) is assigned by hand as a return;
    // a ZIP archive without a statement is refused, not read as "0 Umsätze".
    const QString unplaced = ws.root() + u"/rueckgabe.xml"_qs;
    {
        TestTransaction back;
        back.returnCode = u"AC04"_qs;
        back.cents = d.grossCents;
        QFile f(unplaced);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(camtDocument(u"camt.053.001.02"_qs, {{d.grossCents, false, QDate(2027, 2, 1), u"R-9"_qs, {}, 0, {back}}}));
    }
    r = runBatch(base + QStringList{u"bank-import"_qs, unplaced});
    EXPECT_TRUE(r.out.contains(u"nicht zugeordnet"_qs)) << r.out.toStdString();
    r = runBatch(base + QStringList{u"--yes"_qs, u"--assign"_qs, u"1="_qs + QString::number(d.number), u"bank-import"_qs,
                                    unplaced});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"Rücklastschrift: Beleg "_qs + QString::number(d.number))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"Übernommen: 1 Umsätze, 1 Zahlungen"_qs)) << r.out.toStdString();
    ASSERT_TRUE(writeZip(ws.root() + u"/leer.zip"_qs, {{u"liesmich.txt"_qs, QByteArray("nichts")}}));
    r = runBatch(base + QStringList{u"bank-import"_qs, ws.root() + u"/leer.zip"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"das ZIP-Archiv enthält keinen Kontoauszug"_qs)) << r.err.toStdString();

    // The list and the letters as PDF with their CSV.
    const QString reports = ws.root() + u"/berichte"_qs;
    QDir().mkpath(reports);
    r = runBatch(base + QStringList{u"--reports"_qs, reports, u"open-items"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(reports + u"/OffenePosten.pdf"_qs));
    QFile csv(reports + u"/OffenePosten.csv"_qs);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readAll().contains(QString::number(d.number).toLatin1()));
    r = runBatch(base + QStringList{u"--reports"_qs, reports, u"--return-fee"_qs, u"3,00"_qs, u"letters"_qs,
                                    u"returns"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile letters(reports + u"/Ruecklastschrift.csv"_qs);
    ASSERT_TRUE(letters.open(QIODevice::ReadOnly));
    const QByteArray rows = letters.readAll();
    EXPECT_TRUE(rows.contains("Konto erloschen")) << rows.constData();
    EXPECT_TRUE(rows.contains(";" + QByteArray::number(d.number) + ";")) << rows.constData();
    EXPECT_TRUE(QFile::exists(reports + u"/Ruecklastschrift.pdf"_qs));
    r = runBatch(base + QStringList{u"letters"_qs, u"neu"_qs});
    EXPECT_EQ(r.exitCode, 2);
}
