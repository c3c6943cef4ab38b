#include "support/FileBytes.h"
#include "support/BatchProcess.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

using Result = BatchResult;

namespace {

// A run prints its files one a line, then after an empty line its summary.
QString filesOf(const QString &out)
{
    return out.section(u"\n\n"_qs, 0, 0) + u'\n';
}

QString summaryOf(const QString &out)
{
    return out.section(u"\n\n"_qs, 1);
}

} // namespace

TEST(Batch, DumpPrintsTheStartupStateAfterTheSets)
{
    Workspace ws(10);
    ws.writeSettings(demoSettings());
    const QByteArray before = ws.settingsBytes();
    const Result r = runBatch({u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs,
                               u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs, u"lbPersons=0"_qs, u"dump"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nLaoderRe(1)=1\n"_qs));
    EXPECT_TRUE(r.out.contains(u"\nlbPersons=0\n"_qs));
    EXPECT_TRUE(r.out.contains(u"\nlbPersons.List(1)=0050 "_qs));
    EXPECT_TRUE(r.out.contains(u"\ntxtRechDat=06.12.2026\n"_qs));
    EXPECT_TRUE(r.out.contains(u"\nchkBeitrag(0).Caption=Mitgliedsbeitrag\n"_qs));
    EXPECT_TRUE(r.out.startsWith(u"frmDTA.Caption=QVL32 - SEPA - Beitragseinzug"_qs));
    // Without --save-settings nothing is written.
    EXPECT_EQ(ws.settingsBytes(), before);
}

TEST(Batch, SaveSettingsWritesTheSetValues)
{
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    const Result r = runBatch({u"--program-dir"_qs, ws.programDir(), u"--set"_qs, u"txtBezeichnung=Lauf Süd"_qs,
                               u"--save-settings"_qs, u"dump"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(ws.settingsBytes().contains("\r\nBEZEICHNUNG=Lauf S\xfc" "d\r\n"));
}

TEST(Batch, ExitCodesTellWhatStoppedTheProgram)
{
    Workspace ws(3);
    // No settings file: the message, exit 3.
    Result r = runBatch({u"--program-dir"_qs, ws.programDir(), u"dump"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"konnte nicht geöffnet werden."_qs)) << r.err.toStdString();

    ws.writeSettings(demoSettings());
    // A database that cannot be opened: exit 1, the message names server and database.
    r = runBatch({u"--program-dir"_qs, ws.programDir(), u"--command-line"_qs,
                  u"Provider=SQLite;Data Source=/nirgends/fbg.sqlite"_qs, u"dump"_qs});
    EXPECT_EQ(r.exitCode, 1);
    // On Windows the folder is on the current drive: "Z:/nirgends" under Wine.
    EXPECT_TRUE(r.err.contains(u"„fbg.sqlite“ auf dem Server „"_qs) && r.err.contains(u"/nirgends“"_qs))
        << r.err.toStdString();

    // Bad usage: exit 2.
    for (const QStringList &args : {QStringList{u"--bogus"_qs, u"dump"_qs}, QStringList{},
                                    QStringList{u"--program-dir"_qs, ws.programDir(), u"--set"_qs,
                                                u"txtNix=1"_qs, u"dump"_qs},
                                    QStringList{u"frobnicate"_qs}}) {
        r = runBatch(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
    }
    // Qt's German texts: the parser's own message.
    EXPECT_TRUE(runBatch({u"--bogus"_qs, u"dump"_qs}).err.startsWith(u"Unbekannte Option 'bogus'."_qs));

    // Help and version go to stdout, exit 0.
    r = runBatch({u"--help"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(u"--select-owners <N,N,...>"_qs) && r.out.contains(u"delete-run SCHLÜSSEL"_qs))
        << r.out.toStdString();
    r = runBatch({u"--version"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, u"qvl32-sepa-batch 1.0\n"_qs);
}

// The association's fee for a returned debit is read as the amount boxes read it. The
// options are read before the command is looked for: a fee taken leads on to "no command".
TEST(Batch, TheReturnFeeIsReadAsTheAmountBoxesReadIt)
{
    const QString refusal = u"--return-fee erwartet einen Betrag wie 3,50, nicht „"_qs;
    for (const QString &fee : {u"3,50"_qs, u"3"_qs, u" 3,5 "_qs, u"1.000"_qs, u"1.000,00"_qs, u"0"_qs}) {
        const Result r = runBatch({u"--return-fee"_qs, fee});
        EXPECT_TRUE(r.err.contains(u"Es wurde kein Befehl angegeben."_qs) && !r.err.contains(refusal))
            << fee.toStdString() << ": " << r.err.toStdString();
    }
    // "1.5" would be 15 € by the thousands separator; a fee is whole cents up to 1.000 €.
    for (const QString &fee : {u"1.5"_qs, u"1,5,0"_qs, u"-3"_qs, u"3,505"_qs, u"1.000,01"_qs, u"3 €"_qs, u""_qs}) {
        const Result r = runBatch({u"--return-fee"_qs, fee, u"letters"_qs, u"returns"_qs});
        EXPECT_EQ(r.exitCode, 2) << fee.toStdString();
        EXPECT_TRUE(r.err.contains(refusal + fee + u"“."_qs)) << r.err.toStdString();
    }
}

TEST(Batch, MessageBlocksCarryTheirTitleInBrackets)
{
    Workspace ws(3);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"WarnmeldungBankverbindung=Falsch"_qs, u"WarnmeldungBankverbindung=1"_qs);
    ws.writeSettings(settings);
    const Result r = runBatch({u"--program-dir"_qs, ws.programDir(), u"dump"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(u"[Warnung]\nVorsicht: Bankverbindung kontrollieren!\n"_qs)) << r.err.toStdString();
}

TEST(Batch, DemoDbCreatesADatabaseTheProgramStartsOn)
{
    Workspace ws(1);
    const QString file = ws.root() + u"/other.sqlite"_qs;
    const Result r = runBatch({u"demo-db"_qs, file, u"--owners"_qs, u"12"_qs, u"--seed"_qs, u"3"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ws.writeSettings(demoSettings());
    const Result d = runBatch({u"--program-dir"_qs, ws.programDir(), u"--command-line"_qs,
                               u"Provider=SQLite;Data Source="_qs + file, u"dump"_qs});
    EXPECT_EQ(d.exitCode, 0) << d.err.toStdString();
    EXPECT_TRUE(d.out.contains(u"\nstrDataBaseName=other.sqlite\n"_qs));
}

TEST(Batch, RunPressesTheStartButton)
{
    Workspace ws(15);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    ws.writeSettings(settings);
    const QStringList base{u"--program-dir"_qs, ws.programDir(), u"--set"_qs, u"chkBeitrag(0)=1"_qs};

    Result r = runBatch(base + QStringList{u"run"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    r = runBatch(base + QStringList{u"--set"_qs, u"txtBank="_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, u"Sie müssen eine Bank eingeben!\n\n"_qs);

    // An invoice number of more than nine digits is refused as the form refuses it.
    r = runBatch(base + QStringList{u"--set"_qs, u"txtRechNr=99999999999999999999"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(u"[QVL32 - SEPA - Beitragseinzug]\nDie Rechnungsnummer muss eine ganze Zahl von 1 bis 999.999.999 "
                                 "sein.\n"_qs))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    r = runBatch(base + QStringList{u"--select-owners"_qs, u"999998,999999"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(u"Keine Waldbesitzer für Beitragsabrechnung vorhanden!"_qs)) << r.err.toStdString();

    r = runBatch(base + QStringList{u"--select-owners"_qs, u"12;13"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(Batch, RunWritesTheSepaFileAndStoredRunsCanBeListedAndDeleted)
{
    Workspace ws(15);
    QDir(ws.root()).mkdir(u"export"_qs);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    ws.writeSettings(settings);
    const QStringList base{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs};

    Result r = runBatch(base + QStringList{u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs,
                                           u"txtMindestbeitrag1=12,50"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The SEPA file, the CSV list, then the reports: slip and booking list (no fee notices
    // without "mit Rechnung"), each beside its row table.
    const QString out = QDir::toNativeSeparators(ws.root() + u"/export/"_qs);
    EXPECT_EQ(QDir::toNativeSeparators(filesOf(r.out)), out + u"MB_Mitgliedsbeitrag_05122026T143015.xml\n"_qs + out + u"Dtaus0.csv\n"_qs + out
                                  + u"Begleitzettel.pdf\n"_qs + out + u"Begleitzettel.csv\n"_qs + out
                                  + u"Beitrag.pdf\n"_qs + out + u"Beitrag.csv\n"_qs);
    // The summary as the desktop program shows it.
    const QStringList summary = summaryOf(r.out).split(u'\n');
    ASSERT_GE(summary.size(), 9) << r.out.toStdString();
    // The due date proposed at start: two weeks on is Saturday 19.12.2026, so Monday.
    EXPECT_EQ(summary.mid(0, 5), (QStringList{u"Der Lastschriftlauf ist abgeschlossen."_qs, QString(),
                                              u"SEPA-Datei: MB_Mitgliedsbeitrag_05122026T143015.xml"_qs,
                                              u"Ordner: "_qs + QDir::toNativeSeparators(ws.root() + u"/export"_qs),
                                              u"Fälligkeit: 21.12.2026"_qs}));
    EXPECT_TRUE(summary[5].startsWith(u"Lastschriften: "_qs));
    EXPECT_TRUE(summary[6].startsWith(u"Kontrollsumme: "_qs) && summary[6].endsWith(u" €"_qs));
    EXPECT_TRUE(r.out.endsWith(u"\nFIBU-Dateien: keine\n"_qs)) << r.out.toStdString();

    r = runBatch(base + QStringList{u"list-runs"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026\n"_qs);

    const QString key = u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs;
    r = runBatch(base + QStringList{u"delete-run"_qs, key});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.startsWith(u"[Beiträge löschen]\nWollen Sie den gespeicherten Lauf „2026 Mitgliedsbeitrag“ vom "
                                 "05.12.2026 mit "_qs))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"nicht zurückgenommen"_qs) && r.err.contains(u"\n-> Nein\n"_qs)) << r.err.toStdString();

    r = runBatch(base + QStringList{u"--yes"_qs, u"delete-run"_qs, key});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(u"[Beiträge löschen]\nLöschen erfolgreich\nEs wurden "_qs)) << r.err.toStdString();
    EXPECT_TRUE(runBatch(base + QStringList{u"list-runs"_qs}).out.isEmpty());
}

TEST(Batch, InvoiceRunWritesTheInvoicesIntoTheReportsFolder)
{
    Workspace ws(40);
    QDir(ws.root()).mkpath(u"export"_qs);
    QDir(ws.root()).mkpath(u"berichte"_qs);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    ws.writeSettings(settings);
    const QStringList base{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs,
                           u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs,
                           u"--set"_qs, u"txtMindestbeitrag1=12,50"_qs, u"--set"_qs, u"chkEinzelbuchungen=1"_qs};

    Result r = runBatch(base + QStringList{u"--reports"_qs, ws.root() + u"/berichte"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString dir = ws.root() + u"/berichte/"_qs;
    ASSERT_FALSE(r.out.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(filesOf(r.out), ws.root() + u"/export/Dtaus0.csv\n"_qs + dir + u"Rechnung.pdf\n"_qs + dir
                                  + u"Rechnung.csv\n"_qs + dir + u"Beitrag.pdf\n"_qs + dir + u"Beitrag.csv\n"_qs);
    EXPECT_TRUE(summaryOf(r.out).startsWith(u"Der Rechnungslauf ist abgeschlossen.\n\nRechnungen: "_qs))
        << r.out.toStdString();
    const QStringList bookings = QString::fromLatin1(fileBytes(ws.root() + u"/export/Dtaus0.csv"_qs))
                                     .split(u"\r\n"_qs, Qt::SkipEmptyParts);
    const QStringList letters = pdfPages(dir + u"Rechnung.pdf"_qs);
    ASSERT_GT(letters.size(), 0);
    EXPECT_EQ(letters.size(), bookings.size() - 1);
    EXPECT_TRUE(letters.first().contains(u"Beitragsabrechnung für das Jahr"_qs)) << letters.first().toStdString();
    EXPECT_TRUE(fileBytes(dir + u"Rechnung.csv"_qs).startsWith("Header;Header1;"));

    // Without --reports the reports land in the export folder; a folder that is missing
    // stops the run before anything is written.
    r = runBatch(base + QStringList{u"--set"_qs, u"chkEinzelbuchungen=0"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(filesOf(r.out), ws.root() + u"/export/Rechnung.pdf\n"_qs + ws.root() + u"/export/Rechnung.csv\n"_qs);
    r = runBatch(base + QStringList{u"--reports"_qs, ws.root() + u"/fehlt"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"/fehlt“ wurde nicht gefunden oder ist nicht beschreibbar."_qs)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();

    // A full disk: the letters are not half written, and the run fails — at the letters or
    // already at the run's start in the database, whichever meets the limit first.
    QFile::remove(dir + u"Rechnung.pdf"_qs);
    r = runBatch(base + QStringList{u"--reports"_qs, dir, u"run"_qs}, {.fileSizeLimit = 20000});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"Rechnung.pdf“ konnte nicht geschrieben werden"_qs)
                || r.err.contains(u"Der Beginn des Laufs konnte nicht in der Datenbank vermerkt werden"_qs))
        << r.err.toStdString();
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files | QDir::Hidden).filter(u"Rechnung.pdf"_qs).isEmpty());
    EXPECT_FALSE(QFile::exists(dir + u"Rechnung.pdf"_qs));
}

namespace {

// Every file under a folder with its bytes, so that "nothing written" can be compared.
QMap<QString, QByteArray> filesUnder(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, fileBytes(path));
    }
    return files;
}

} // namespace

// The first half of the start button alone: the summary and the findings on stdout, exit 0
// (3 when the check holds an error), and not a byte written anywhere — export, accounting
// and reports folders, the log file, the settings file and the database stay as they were.
// "run" prints the same findings to stderr and goes on.
TEST(Batch, CheckPrintsTheListAndWritesNothing)
{
    Workspace ws(15);
    for (const QString &dir : {u"export"_qs, u"fibu"_qs, u"berichte"_qs})
        QDir(ws.root()).mkdir(dir);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u"/export"_qs);
    settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fibu"_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings << u"BankKonto=1200"_qs << u"MBTKonto=8401"_qs;
    ws.writeSettings(settings);
    const QStringList base{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-05T14:30:15"_qs,
                           u"--reports"_qs, ws.root() + u"/berichte"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs,
                           u"--set"_qs, u"txtMindestbeitrag1=12,50"_qs};
    const QMap<QString, QByteArray> before = filesUnder(ws.root());
    const QString christmas = u"Der 25.12.2026 ist kein Bankarbeitstag. Nächster möglicher Fälligkeitstermin: 28.12.2026."_qs;

    // A due date the banks cannot meet is an error: exit 3, naming the next possible date.
    Result r = runBatch(base + QStringList{u"--set"_qs, u"txtFaellDat=25.12.2026"_qs, u"check"_qs});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(u"Lastschriftlauf 2026 „Mitgliedsbeitrag“, fällig am 25.12.2026\nFälligkeit: 25.12.2026 "
                                 "(Vorlauf der Bank 1 Bankarbeitstag)\nWaldbesitzer gelesen: "_qs))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nFehler:\n- "_qs + christmas + u'\n')) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nNicht abgerechnet (Beitrag 0): 0 Waldbesitzer\n"_qs)) << r.out.toStdString();
    EXPECT_EQ(filesUnder(ws.root()), before);

    // A script takes the date the check names.
    r = runBatch(base + QStringList{u"--set"_qs, u"txtFaellDat=28.12.2026"_qs, u"check"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(u"kein Bankarbeitstag"_qs)) << r.out.toStdString();

    // An error of the check: exit 3, still nothing written.
    r = runBatch(base + QStringList{u"--set"_qs, u"rbEinstellung(2)=1"_qs, u"--set"_qs, u"txtHaZuschlag=0,0000"_qs,
                                    u"--set"_qs, u"txtHaMindestbetrag=0,0000"_qs, u"check"_qs});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u"\nFehler:\n- Der Zuschlag je Hektar"_qs)) << r.out.toStdString();
    EXPECT_EQ(filesUnder(ws.root()), before);

    // A failed start check is told as by "run": its message, exit 3.
    r = runBatch(base + QStringList{u"--set"_qs, u"txtBank="_qs, u"check"_qs});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, u"Sie müssen eine Bank eingeben!\n\n"_qs);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(filesUnder(ws.root()), before);

    // "run" tells the findings: with an error it stops, writing nothing; with the date the
    // check named it goes on.
    r = runBatch(base + QStringList{u"--set"_qs, u"txtFaellDat=25.12.2026"_qs, u"--yes"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(u"[Prüfung vor dem Lauf]\n"_qs)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"Fehler:\n- "_qs + christmas + u'\n')) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"\n-> Abbrechen\n"_qs)) << r.err.toStdString();
    EXPECT_EQ(filesUnder(ws.root()), before);
    r = runBatch(base + QStringList{u"--set"_qs, u"txtFaellDat=28.12.2026"_qs, u"run"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(ws.root() + u"/export"_qs).entryList({u"MB_*.xml"_qs}).size(), 1);
}
