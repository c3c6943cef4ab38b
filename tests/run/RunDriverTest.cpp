#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "text/Conversions.h"
#include "run/RunDriver.h"
#include "run/RunSummary.h"
#include "core/ErrorLog.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A started form in association mode with a creditor selected and fee 1 ticked.
struct StartedRun {
    Workspace ws{20};
    std::unique_ptr<FrmDTA> form;

    explicit StartedRun(QStringList settings = demoSettings())
    {
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
        settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root());
        settings << u"BankKonto=1200"_qs << u"MBTKonto=8401"_qs;
        ws.writeSettings(settings);
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->rbEinstellung_Click(0);          // the owners' own parameters
        form->txtMindestbeitrag[0].Text = u"10"_qs; // so that every owner owes something
        form->chkEinzelbuchungen.Value = 0;          // the CSV list is tested on its own
        ws.ui.messages.clear();
    }

    RunReport start() { return cmdStart_Click(*form); }
    Message lastMessage() const { return ws.ui.messages.isEmpty() ? Message{} : ws.ui.messages.last(); }
};

} // namespace

TEST(RunDriver, DirectDebitChecksComeInTheirOrderWithTheirTexts)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    // Each box with a value that fails its check: the boxes that must not be empty first,
    // then the dates, read once all of them are there (not a date at all).
    const std::tuple<TextBox *, QString, QString, MsgIcon> checks[] = {
        {&f.txtBankleitzahl, {}, u"Sie müssen eine BIC eingeben!"_qs, MsgIcon::Information},
        {&f.txtKontonummer, {}, u"Sie müssen eine IBAN eingeben!"_qs, MsgIcon::Information},
        {&f.txtFirmenName, {}, u"Sie müssen einen Firmennamen eingeben!"_qs, MsgIcon::Information},
        {&f.txtBank, {}, u"Sie müssen eine Bank eingeben!"_qs, MsgIcon::Information},
        {&f.txtGlaubigerID, {}, u"Es muss eine GläubigerID eingegeben werden."_qs, MsgIcon::None},
        {&f.txtFaellDat, u"31.02.2021"_qs,
         u"Das Fälligkeitsdatum „31.02.2021“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs, MsgIcon::None},
        {&f.txtRechDat, u"32.12.2026"_qs,
         u"Das Rechnungsdatum „32.12.2026“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs, MsgIcon::None}};
    QList<QString> kept;
    for (const auto &[box, failing, text, icon] : checks) {
        kept.append(box->Text);
        box->Text = failing;
    }
    for (int i = 0; i < int(std::size(checks)); ++i) {
        const auto &[box, failing, text, icon] = checks[i];
        EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
        EXPECT_EQ(r.lastMessage().text, text);
        EXPECT_EQ(r.lastMessage().icon, icon) << text.toStdString();
        EXPECT_TRUE(r.lastMessage().title.isEmpty());
        box->Text = kept[i];
    }
    EXPECT_EQ(f.strWaehrung, f.txtWaehrung.Text);
}

TEST(RunDriver, InvoiceChecksAndTheAccountingChecks)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    f.names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    // The invoice date is printed on every invoice: not a date stops the run as well.
    TextBox *boxes[] = {&f.txtFirmenName, &f.txtAdresse, &f.txtPLZ, &f.txtOrt, &f.txtRechNr, &f.txtRechDat};
    const QString texts[] = {u"Sie müssen einen Firmennamen eingeben!"_qs, u"Sie müssen eine Adresse eingeben!"_qs,
                             u"Sie müssen eine PLZ eingeben!"_qs, u"Sie müssen einen Ort eingeben!"_qs,
                             u"Sie müssen eine Rechnungsnummer eingeben!"_qs,
                             u"Das Rechnungsdatum „31.02.2026“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs};
    QStringList kept;
    for (TextBox *box : boxes) {
        kept << box->Text;
        box->Text.clear();
    }
    f.txtRechDat.Text = u"31.02.2026"_qs;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
        EXPECT_EQ(r.lastMessage().text, texts[i]);
        boxes[i]->Text = kept[i].isEmpty() ? u"x"_qs : kept[i];
    }

    // An accounting export needs a folder and either the bank account or both fee accounts.
    f.Dir1.Path.clear();
    r.start();
    EXPECT_EQ(r.lastMessage().text, u"Sie müssen einen Zielpfad für die FIBU-Übernahme eingeben!"_qs);
    f.Dir1.Path = r.ws.root();
    f.txtBankKonto.Text.clear();
    f.txtWBVKonto.Text = u"8400"_qs;
    f.txtMBTKonto.Text.clear();
    r.start();
    EXPECT_EQ(r.lastMessage().text, u"Sie müssen die Kontonummer(n) für die FIBU eingeben!"_qs);
    f.txtBankKonto.Text = u"1200"_qs;
    // The accounting files number their bookings from it: the run reads it as its box does.
    f.txtRechNr.Text = u"R-17"_qs;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_EQ(r.lastMessage().text,
              u"Die Rechnungsnummer „R-17“ ist keine ganze Zahl von 1 bis 999.999.999. Bitte korrigieren Sie sie."_qs);
    EXPECT_TRUE(QDir(r.ws.root()).entryList({u"*.csv"_qs}).isEmpty());
    f.txtRechNr.Text = u"17"_qs;
    const int before = int(r.ws.ui.messages.size());
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
    // The bookings of fee 1 went out without its account: the clerk is told so at the end.
    EXPECT_EQ(r.ws.ui.messages.size(), before + 1);
    EXPECT_TRUE(r.lastMessage().text.contains(u"fehlt das FIBU-Konto „Beitragskonto"_qs)) << r.lastMessage().text.toStdString();

    // Without an accounting export neither folder nor accounts are needed.
    f.strFibu.clear();
    f.Dir1.Path.clear();
    f.txtBankKonto.Text.clear();
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
}

TEST(RunDriver, RunChecksAssociationAndFeesFirst)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    f.lbPersons.ListIndex = -1;
    f.chkBeitrag[0].Value = 0;
    r.start();
    EXPECT_EQ(r.lastMessage().text, u"Sie müssen eine FBG auswählen, für den SEPA Bankeinzug!"_qs);
    f.lbPersons.ListIndex = 0;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_EQ(r.lastMessage().text, u"Sie müssen einen oder mehrere Beiträge zur Berechnung auswählen"_qs);
    EXPECT_EQ(r.lastMessage().icon, MsgIcon::Information);
}

TEST(RunDriver, FeeTextIsMadeFromTheTickedCaptions)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    f.chkBeitrag[0].Caption = u"Beitrag A"_qs;
    f.chkBeitrag[2].Caption = u"Mitglied/2"_qs;
    f.chkBeitrag[2].Value = 1;
    BuildBeitragsText(f);
    EXPECT_EQ(f.strBeitragsText, u"Beitrag_AMitglied_2"_qs);
    f.chkBeitrag[0].Caption = u"a\\b:c?d<e>f|g'h\"i"_qs;
    f.chkBeitrag[2].Value = 0;
    BuildBeitragsText(f);
    EXPECT_EQ(f.strBeitragsText, u"a_b_c_d_e_f_g_h_i"_qs);
}

TEST(RunDriver, DisketteTargetIsRefusedWhereThereIsNoDriveA)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "drive A: is real on Windows";
#endif
    StartedRun r;
    r.form->strExportPfad = u"a:\\"_qs;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_TRUE(r.lastMessage().text.startsWith(u"Fehler beim Schreiben der Datei aufgetreten!\r\n\r\n"_qs));
    EXPECT_TRUE(r.lastMessage().text.endsWith(u"\r\n3) Der Datenträger ist defekt!"_qs));
    EXPECT_EQ(r.lastMessage().icon, MsgIcon::Critical);

    // An invoice run never touches the diskette.
    r.form->names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
}

TEST(RunDriver, AnExistingFileAsTargetAsksBeforeOverwriting)
{
    StartedRun r;
    const QString file = r.ws.root() + u"/lastschrift.xml"_qs;
    QFile(file).open(QIODevice::WriteOnly);
    r.form->strExportPfad = file;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_EQ(r.lastMessage().text,
              u"VORSICHT: Datei existiert bereits! Wollen Sie die Datei "_qs + file + u" überschreiben?"_qs);
    EXPECT_EQ(r.lastMessage().title, u"SEPA"_qs);
    EXPECT_EQ(r.lastMessage().buttons, MsgButtons::YesNo);

    // A folder asks nothing.
    r.form->strExportPfad = r.ws.root() + u'/';
    const int before = int(r.ws.ui.messages.size());
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
    EXPECT_EQ(r.ws.ui.messages.size(), before) << r.lastMessage().text.toStdString();
}

TEST(RunDriver, EmptyAndAllZeroResultsAreReported)
{
    StartedRun r;
    r.form->strWBIN = u"(999999)"_qs;
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
    EXPECT_EQ(r.lastMessage().text, u"Keine Waldbesitzer für Beitragsabrechnung vorhanden!"_qs);
    EXPECT_EQ(r.ws.ui.busyDepth, 0);

    r.form->strWBIN.clear();
    r.ws.execSql(u"update personal set Fixbeitrag1 = 0, Flachenbertrag1 = 0, Weitere1 = 0"_qs);
    r.form->txtMindestbeitrag[0].Text.clear();
    for (TextBox &box : r.form->txtMwst)
        box.Text.clear();
    EXPECT_EQ(r.start().outcome, RunOutcome::Completed);
    EXPECT_EQ(r.lastMessage().text, u"Beträge für alle (selektierten) Waldbesitzer sind 0!"_qs);
}

TEST(RunDriver, FailuresInsideTheRunAreReportedAndThePointerRestored)
{
    StartedRun r;
    r.form->strWBIN = u"(1); drop table personal"_qs;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_EQ(r.ws.ui.busyDepth, 0);

    r.form->strWBIN.clear();
    r.form->rbEinstellung_Click(2);
    r.form->txtHaMindestbetrag.Text = u"0,0000"_qs;
    r.form->txtHaZuschlag.Text = u"0,0000"_qs;
    // The calculation's refusal is the error of the check before the run, which then can
    // only be cancelled.
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    ASSERT_FALSE(r.ws.ui.runChecks.isEmpty());
    const QList<CheckItem> errors = r.ws.ui.runChecks.last().itemsOf(CheckGrade::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].kind, CheckKind::CalculationRefused);
    EXPECT_TRUE(errors[0].text.contains(u"Zuschlag"_qs)) << errors[0].text.toStdString();

    // The database vanishes between start-up and run (Windows keeps a file open elsewhere).
#ifdef Q_OS_WIN
    return;
#endif
    QFile::remove(r.ws.databaseFile());
    EXPECT_EQ(r.start().outcome, RunOutcome::Failed);
    EXPECT_TRUE(r.lastMessage().text.startsWith(u"Der Beitragslauf wurde abgebrochen.\n"_qs));
    EXPECT_TRUE(r.lastMessage().text.contains(u"suite.sqlite"_qs));
    EXPECT_EQ(r.ws.ui.busyDepth, 0);
}

TEST(RunDriver, AccountingFilesGoLastIntoTheFolderTheFormShowsAndAreListed)
{
    struct Case { const char16_t *fibu; int payment; QStringList files; };
    const Case cases[] = {
        {u"IBM-FIBU", 0, {u"BEITLA20261206_1.df2"_qs, u"LA20261206_1.df2"_qs}},
        {u"IBM-FIBU", 1, {u"BEITRE20261206_1.df2"_qs}},
        {u" datev-fibu", 0, {u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITLA20261206_1.csv"_qs}},
        {u"DATEV-FIBU", 1, {u"DATEV_BEITRE_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITRE20261206_1.csv"_qs}},
        {u"SYSKA-FIBU", 0, {u"BEITLA20261206_1.txt"_qs}},
        {u"SYSKA-FIBU", 1, {u"BEITRE20261206_1.txt"_qs}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.fibu).toStdString() + (c.payment ? " Rechnung" : " Lastschrift"));
        StartedRun r;
        r.form->names().set(u"LaoderRe("_qs + QString::number(c.payment) + u")"_qs, u"1"_qs);
        r.form->strFibu = QString::fromUtf16(c.fibu);
        // Chosen on the form after start-up: it counts at once.
        const QString chosen = r.ws.root() + u"/gewaehlt"_qs;
        QDir().mkpath(chosen);
        r.form->Dir1.Path = chosen;
        const RunReport report = r.start();
        ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
        QStringList listed;
        for (const QString &path : report.outputs)
            if (QFileInfo(path).absolutePath() == chosen)
                listed.append(QFileInfo(path).fileName());
        EXPECT_EQ(listed, c.files);
        EXPECT_EQ(report.outputs.size(), c.files.size() + (c.payment == 0 ? 1 : 0)); // and the SEPA file
        QStringList inFolder = c.files;
        inFolder.sort();
        EXPECT_EQ(QDir(chosen).entryList(QDir::Files), inFolder);
    }
}

TEST(RunDriver, AMissingOutputFolderStopsTheRunBeforeAnythingIsWritten)
{
    StartedRun r;
    r.form->strFibu = u"DATEV-FIBU"_qs;
    r.form->Dir1.Path = r.ws.root() + u"/entfernt"_qs;
    const RunReport report = r.start();
    EXPECT_EQ(report.outcome, RunOutcome::Stopped);
    EXPECT_TRUE(report.outputs.isEmpty());
    EXPECT_TRUE(report.bankFile.isEmpty());
    EXPECT_TRUE(r.lastMessage().text.contains(u"entfernt"_qs)) << r.lastMessage().text.toStdString();
    EXPECT_EQ(r.ws.ui.busyDepth, 0);
}

// An output that cannot be made (every accounting file name of the day taken) stops the
// run before its commit: no bank file, no stored fee, nothing hidden left.
TEST(RunDriver, AnOutputThatCannotBeMadeStopsTheRunBeforeItsCommit)
{
    StartedRun r;
    r.form->strFibu = u"DATEV-FIBU"_qs;
    const QString fibu = r.ws.root() + u"/fibu"_qs;
    QDir().mkpath(fibu);
    r.form->Dir1.Path = fibu;
    // Every name of the day taken, the one without a number too.
    for (int n = 0; n <= 50; ++n) {
        QFile taken(fibu + u"/DATEV_BEITLA20261206"_qs + (n ? u'_' + QString::number(n) : QString()) + u".csv"_qs);
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    }
    const QStringList before = QDir(r.form->strExportPfad).entryList(QDir::Files | QDir::Hidden);
    const RunReport report = r.start();
    EXPECT_EQ(report.outcome, RunOutcome::Failed);
    EXPECT_TRUE(report.bankFile.isEmpty());
    EXPECT_EQ(QDir(r.form->strExportPfad).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(QDir(fibu).entryList(QDir::Files | QDir::Hidden).size(), 51);
    EXPECT_TRUE(r.lastMessage().text.contains(u"Dateinummern des Tages"_qs)) << r.lastMessage().text.toStdString();
    EXPECT_FALSE(r.lastMessage().text.contains(u"ist erstellt"_qs));
    EXPECT_EQ(r.lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(r.ws.ui.busyDepth, 0);
}

TEST(RunDriver, TheSummaryTellsWhatWentToTheBankWhatWasLeftOutAndTheAccountingFiles)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    f.strFibu = u"DATEV-FIBU"_qs;
    f.Dir1.Path = r.ws.root();
    // Three billable owners of the association; one has an IBAN no bank file can carry.
    r.ws.execSql(u"update personal set Zusatz5 = '0050', Abrech1 = 1, DISABLE = 0, "
                 "IBAN = 'DE89370400440532013000' where Nummer in (1000, 1001, 1002)"_qs);
    r.ws.execSql(u"update personal set IBAN = 'DE' where Nummer = 1001"_qs);
    r.ws.execSql(u"update personal_free set BOXFREE1 = 1 where id_personal in "
                 "(select id_personal from personal where Nummer in (1000, 1001, 1002))"_qs);
    f.strWBIN = u"(1000,1001,1002)"_qs;

    const RunReport report = r.start();
    ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
    ASSERT_EQ(report.billed, 3);
    const std::optional<RunSummary> s = summarizeRun(report);
    ASSERT_TRUE(s.has_value());
    EXPECT_FALSE(s->unfinished);
    EXPECT_EQ(s->bankFile, u"MB_Mitgliedsbeitrag_06122026T100000.xml"_qs);
    EXPECT_EQ(s->bankFolder, QDir::toNativeSeparators(r.ws.root()));
    EXPECT_EQ(s->debits, 2);
    EXPECT_EQ(s->leftOut, 1);
    EXPECT_EQ(s->logFile, QDir::toNativeSeparators(logFilePath(r.ws.programDir())));
    EXPECT_EQ(s->accountingFiles,
              (QStringList{QDir::toNativeSeparators(r.ws.root() + u"/DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs),
                           QDir::toNativeSeparators(r.ws.root() + u"/DATEV_BEITLA20261206_1.csv"_qs)}));
    // The control sum is the bank file's own.
    QFile file(report.bankFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_EQ(xml.count("<DrctDbtTxInf>"), 2);
    const QString sum = QString::fromLatin1(xml).section(u"<CtrlSum>"_qs, 1, 1).section(u'<', 0, 0);
    EXPECT_EQ(s->controlSumCent.cents(), toCents(sum.toDouble()));
    EXPECT_LT(s->controlSumCent, report.totalCent);

    const QString text = runSummaryText(*s);
    const QString euros = formatNumber(sum.toDouble(), u"#,##0.00"_qs) + u" €"_qs;
    for (const QString &line : {u"Der Lastschriftlauf ist abgeschlossen."_qs,
                                u"SEPA-Datei: MB_Mitgliedsbeitrag_06122026T100000.xml"_qs,
                                u"Ordner: "_qs + s->bankFolder, u"Lastschriften: 2"_qs, u"Kontrollsumme: "_qs + euros,
                                u"Nicht in der SEPA-Datei: 1 Waldbesitzer (die Gründe stehen in der Log-Datei)"_qs,
                                u"Log-Datei: "_qs + s->logFile, u"FIBU-Dateien:"_qs,
                                u"  "_qs + s->accountingFiles[1]})
        EXPECT_TRUE(text.split(u'\n').contains(line)) << line.toStdString() << "\n" << text.toStdString();

    // An invoice run: its invoices and their total; a stopped run has nothing to tell.
    f.names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    f.strWBIN = u"(1000,1001,1002)"_qs;
    f.strFibu.clear();
    const RunReport invoices = r.start();
    ASSERT_EQ(invoices.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
    const std::optional<RunSummary> i = summarizeRun(invoices);
    ASSERT_TRUE(i.has_value());
    ASSERT_GT(invoices.billed, 0);
    EXPECT_EQ(runSummaryText(*i).toStdString(),
              (u"Der Rechnungslauf ist abgeschlossen.\n\nRechnungen: "_qs + QString::number(invoices.billed)
               + u"\nGesamtsumme: "_qs + formatNumber(centsToEuros(invoices.totalCent.cents()), u"#,##0.00"_qs) + u" €\nFIBU-Dateien: keine"_qs)
                  .toStdString());
    f.txtFirmenName.Text.clear();
    EXPECT_FALSE(summarizeRun(r.start()).has_value());
}

// A date no box would take (set by another way than typing) stops the run where the form is
// read, before any owner is read: no file, hidden or named, and the clerk is told which box.
TEST(RunDriver, AnUnreadableDateStopsTheRunBeforeAnythingIsWritten)
{
    StartedRun r;
    FrmDTA &f = *r.form;
    const QStringList before = QDir(f.strExportPfad).entryList(QDir::Files | QDir::Hidden);
    const std::pair<TextBox *, QString> boxes[] = {
        {&f.txtFaellDat, u"Das Fälligkeitsdatum „15.13.2026“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs},
        {&f.txtRechDat, u"Das Rechnungsdatum „15.13.2026“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs}};
    for (const auto &[box, message] : boxes) {
        const QString kept = box->Text;
        box->Text = u"15.13.2026"_qs;
        r.ws.ui.messages.clear();
        const RunReport report = r.start();
        EXPECT_EQ(report.outcome, RunOutcome::Stopped);
        EXPECT_TRUE(report.bankFile.isEmpty());
        EXPECT_EQ(report.billed, 0);
        ASSERT_EQ(r.ws.ui.messages.size(), 1);
        EXPECT_EQ(r.lastMessage().text, message);
        EXPECT_TRUE(r.ws.ui.runChecks.isEmpty()); // not even the check before the run
        EXPECT_EQ(QDir(f.strExportPfad).entryList(QDir::Files | QDir::Hidden), before);
        box->Text = kept;
    }
    // A direct-debit run needs a due date at all.
    f.txtFaellDat.Text = u"  "_qs;
    EXPECT_EQ(r.start().outcome, RunOutcome::Stopped);
    EXPECT_EQ(r.lastMessage().text, u"Das Fälligkeitsdatum ist nicht gültig."_qs);
    EXPECT_EQ(QDir(f.strExportPfad).entryList(QDir::Files | QDir::Hidden), before);
}
