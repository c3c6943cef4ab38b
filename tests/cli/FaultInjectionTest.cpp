// Faults a clerk or a script meets: a full disk, a damaged database, amounts no bank file
// can carry, commands aimed at the wrong thing. Each case runs the batch program and
// checks what is on disk afterwards, not only what it answered.
#include "support/FaultSite.h"
#include "os/TemporaryFiles.h"

#include <QThread>

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kRunKey = u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs;

struct Case {
    const char *name;
    std::function<QStringList(Site &)> prepare; // the command line
    int exitCode;
    QString told;                               // stderr contains this
    std::function<void(const Site &)> onDisk;
    BatchRun how = {};
    int owners = 20;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class Faults : public ::testing::TestWithParam<Case> {};

TEST_P(Faults, NothingIsLostAndNoFailureIsReportedAsSuccess)
{
    const Case &c = GetParam();
    Site site({}, c.owners);
    const QStringList args = c.prepare(site);
    const BatchResult r = runBatch(args, c.how);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.told)) << r.err.toStdString();
    c.onDisk(site);
}

// After a failed or stopped run: no file under any name, no stored fee.
void nothingWritten(const Site &s)
{
    EXPECT_TRUE(Site::files(s.exportDir()).isEmpty()) << Site::files(s.exportDir()).join(u' ').toStdString();
    EXPECT_EQ(s.storedFees(), 0);
}

// A direct-debit run of fee 1 with the owners' own parameters and this minimum fee.
std::function<QStringList(Site &)> withMinimumFee(const QString &fee)
{
    return [fee](Site &s) {
        return s.args({u"--yes"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1="_qs + fee,
                       u"run"_qs});
    };
}

INSTANTIATE_TEST_SUITE_P(
    Batch, Faults,
    ::testing::Values(
        // The settings file on a full disk keeps its old content; the command itself went
        // through, so the exit code says "done, settings not saved".
        Case{"SettingsOnAFullDisk",
             [](Site &s) { return s.args({u"--save-settings"_qs, u"--set"_qs, u"txtBezeichnung=neu"_qs, u"dump"_qs}); },
             4, u"Die Einstellungen konnten nicht gespeichert werden.\nDie Datei „"_qs,
             [](const Site &s) {
                 EXPECT_EQ(s.ws.settingsBytes(), s.settingsAtStart);
                 EXPECT_EQ(Site::files(s.ws.programDir()), QStringList{u"QVL32-SEPA-Beitragseinzug.ini"_qs});
             },
             {.fileSizeLimit = 600}},
        // A full disk: the database is the first file of a run to meet it (the run records
        // its start before its first file), so the run stops at once, with no file under any
        // name and no fee stored.
        Case{"RunOnAFullDisk",
             [](Site &s) {
                 EXPECT_EQ(runBatch(s.args({u"init-db"_qs})).exitCode, 0); // the tables before the limit
                 return s.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs});
             },
             1, u"Der Beginn des Laufs konnte nicht in der Datenbank vermerkt werden"_qs,
             nothingWritten,
             {.fileSizeLimit = 20000},
             120},
        Case{"DemoDbOnAnExistingDatabase",
             [](Site &s) {
                 s.databaseAtStart = s.databaseBytes();
                 return QStringList{u"demo-db"_qs, s.ws.databaseFile(), u"--owners"_qs, u"3"_qs};
             },
             2, u"gibt es schon"_qs, [](const Site &s) { EXPECT_EQ(s.databaseBytes(), s.databaseAtStart); }},
        Case{"DeleteRunOfAnUnknownKey",
             [](Site &s) {
                 s.storeOneRunForEveryOwner();
                 return s.args({u"--yes"_qs, u"delete-run"_qs, u"2026 Mitgliedsbeitrag, Erstellt: Dec  6 2026"_qs});
             },
             3, u"Es gibt keinen gespeicherten Lauf „2026 Mitgliedsbeitrag, Erstellt: Dec  6 2026“."_qs,
             [](const Site &s) { EXPECT_EQ(s.storedFees(), 20); }},
        // Two associations billed on the same day share the run key; association 0007
        // (list entry 0) takes back only its own owners' fees.
        Case{"DeleteRunInAssociationMode",
             [](Site &s) {
                 s.storeOneRunForEveryOwner();
                 return s.args({u"--yes"_qs, u"--set"_qs, u"lbPersons=0"_qs, u"delete-run"_qs, kRunKey});
             },
             0, u"Löschen erfolgreich\nEs wurden "_qs,
             [](const Site &s) {
                 const QString own = u"id_personal in (select id_personal from personal "
                                     "where rtrim(zusatz5) in ('0007', '7'))"_qs;
                 EXPECT_EQ(s.storedFees(own), 0);
                 EXPECT_GT(s.storedFees(), 0);
                 EXPECT_EQ(s.storedFees(u"not "_qs + own), s.storedFees());
             }},
        Case{"ListRunsThatCannotBeRead",
             [](Site &s) {
                 s.ws.execSql(u"drop table PERSONAL_MG_BEITRAGE"_qs);
                 return s.args({u"list-runs"_qs});
             },
             1, u"Die Liste der hinterlegten Beiträge konnte nicht gelesen werden."_qs, [](const Site &) {}},
        // A minimum fee whose amount no number text of the bank file can carry: before,
        // it became debits of 0,00.
        // A minimum fee beyond the program's limit is refused by its box, before any run.
        Case{"OverflowingMinimumFee", withMinimumFee(u"9999999999999999,00"_qs),
             2, u"Der Betrag ist zu groß: höchstens 999.999.999,99 sind möglich."_qs,
             nothingWritten},
        Case{"FeeAboveTheSepaMaximum", withMinimumFee(u"1000000000,00"_qs),
             2, u"Der Betrag ist zu groß: höchstens 999.999.999,99 sind möglich."_qs,
             nothingWritten},
        // Every folder a run writes into is checked before anything is read or written: found
        // missing after the bank file, it would leave a collected run without its other
        // outputs (and a re-run would collect again).
        Case{"AccountingFolderMissing",
             [](Site &s) {
                 return s.args(kDebitFee1 + QStringList{u"--set"_qs, u"strFibu=DATEV-FIBU"_qs, u"--set"_qs,
                                                        u"txtBankKonto=1200"_qs, u"--set"_qs,
                                                        u"Dir1="_qs + s.ws.root() + u"/Dir1"_qs, u"run"_qs});
             },
             3, u"Der Zielordner für die FIBU-Übernahme „"_qs, nothingWritten},
        Case{"ExportFolderMissing",
             [](Site &s) {
                 QDir(s.exportDir()).removeRecursively();
                 return s.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs});
             },
             3, u"Der Exportordner „"_qs,
             [](const Site &s) {
                 EXPECT_FALSE(QFileInfo::exists(s.exportDir()));
                 EXPECT_EQ(s.storedFees(), 0);
             }},
        Case{"ReportsFolderMissing",
             [](Site &s) {
                 QStringList args = s.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs});
                 args[args.indexOf(u"--reports"_qs) + 1] = s.ws.root() + u"/Berichte-fehlt"_qs;
                 return args;
             },
             3, u"Der Ordner für die Berichte „"_qs, nothingWritten},
        // An invoice run collects nothing, but its booking files would be written twice by
        // a second try.
        Case{"ReportsFolderMissingInAnInvoiceRun",
             [](Site &s) {
                 QStringList args = s.args(kDebitFee1
                                           + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                         u"strFibu=DATEV-FIBU"_qs, u"--set"_qs, u"txtBankKonto=1200"_qs,
                                                         u"--set"_qs, u"Dir1="_qs + s.ws.root() + u"/fibu"_qs,
                                                         u"run"_qs});
                 args[args.indexOf(u"--reports"_qs) + 1] = s.ws.root() + u"/Berichte-fehlt"_qs;
                 return args;
             },
             3, u"Der Ordner für die Berichte „"_qs,
             [](const Site &s) { EXPECT_TRUE(Site::files(s.ws.root() + u"/fibu"_qs).isEmpty()); }},
        // A file-size limit meets the fee notices after the bank file: the program must not
        // die of SIGXFSZ but say that the debits are on their way.
        // A file-size limit meets the log file, which grew over the years, after the bank
        // file: the program must not die of SIGXFSZ but say that the debits are on their way.
        Case{"FileSizeLimitAfterTheBankFile",
             [](Site &s) {
                 QFile log(s.ws.programDir() + u"/LogDatei.txt"_qs);
                 EXPECT_TRUE(log.open(QIODevice::WriteOnly));
                 log.write(QByteArray(200000, 'x'));
                 s.ws.execSql(u"update personal set IBAN = 'DE00', IBAN2 = 'DE00' where nummer = 1010"_qs);
                 return s.args(kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007,1010"_qs, u"run"_qs});
             },
             5, u"ist erstellt und die Beiträge sind gespeichert. Wiederholen Sie den Lauf nicht"_qs,
             [](const Site &s) {
                 EXPECT_EQ(Site::files(s.exportDir()), QStringList{u"MB_Mitgliedsbeitrag_05122026T143015.xml"_qs});
                 EXPECT_EQ(s.storedFees(), 1);
                 EXPECT_EQ(QFileInfo(s.ws.programDir() + u"/LogDatei.txt"_qs).size(), 200000);
             },
             // Above the database, below the log file.
             {.fileSizeLimit = 150000, .keepSigxfsz = true}},
        Case{"DamagedPageOfTheEmbeddedDatabase",
             [](Site &s) {
                 s.damageOwnerPage();
                 return s.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs});
             },
             1, u"ist beschädigt"_qs,
             nothingWritten}),
    [](const auto &info) { return std::string(info.param.name); });

// A script looping over owners: two runs in the same second give two files, and the
// stored fees of both runs match them.
TEST(Faults, RunsInTheSameSecondGetFilesOfTheirOwn)
{
    Site site;
    const QString owners[] = {u"1007"_qs, u"1010"_qs};
    for (const QString &owner : owners) {
        const BatchResult r =
            runBatch(site.args(kDebitFee1 + QStringList{u"--select-owners"_qs, owner, u"run"_qs}));
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    const QStringList files = Site::files(site.exportDir());
    ASSERT_EQ(files, (QStringList{u"MB_Mitgliedsbeitrag_05122026T143015.xml"_qs,
                                  u"MB_Mitgliedsbeitrag_05122026T143015_2.xml"_qs}));
    for (int i = 0; i < 2; ++i) {
        QFile file(site.exportDir() + u'/' + files[i]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray xml = file.readAll();
        EXPECT_EQ(xml.count("<DrctDbtTxInf>"), 1) << files[i].toStdString();
        EXPECT_TRUE(xml.contains("<InstdAmt Ccy=\"EUR\">12.5</InstdAmt>")) << files[i].toStdString();
        EXPECT_EQ(site.storedFees(u"betrag = 12.5 and id_personal = (select id_personal from personal where nummer = "_qs
                                  + owners[i] + u')'),
                  1);
    }
    EXPECT_EQ(site.storedFees(), 2);
}

// A second run for a year and type already collected asks first; No writes nothing.
TEST(Faults, RepeatedRunAnsweredNoWritesNothing)
{
    Site site;
    const QStringList run = kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007,1010"_qs, u"run"_qs};
    ASSERT_EQ(runBatch(site.args(run)).exitCode, 0);
    const int stored = site.storedFees(u"datum_erstellt = '2026-12-05 14:30:15'"_qs);
    ASSERT_EQ(stored, 2);

    const BatchResult r = runBatch(
        QStringList{u"--program-dir"_qs, site.ws.programDir(), u"--now"_qs, u"2026-12-06T09:00:00"_qs} + run);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(u"[SEPA]\nFür 2026 sind bereits Beiträge gespeichert, die dieser Lauf ein zweites Mal "
                               "einziehen würde: „Mitgliedsbeitrag“ bei 2 Waldbesitzern (zuletzt Lauf „2026 "
                               "Mitgliedsbeitrag“ vom 05.12.2026)."_qs)
                && r.err.contains(u"\n-> Nein"_qs))
        << r.err.toStdString();
    EXPECT_EQ(Site::files(site.exportDir()), QStringList{u"MB_Mitgliedsbeitrag_05122026T143015.xml"_qs});
    EXPECT_EQ(site.storedFees(u"datum_erstellt = '2026-12-05 14:30:15'"_qs), stored);
    EXPECT_EQ(site.storedFees(), stored);
}

// A relative export folder lies in the program folder, whatever the working directory.
TEST(Faults, RelativeExportFolderIsTakenFromTheProgramFolder)
{
    Site site(u"export\\"_qs);
    QDir(site.ws.programDir()).mkdir(u"export"_qs);
    const BatchResult r = runBatch(site.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs}),
                                   {site.ws.root(), 0});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Site::files(site.ws.programDir() + u"/export"_qs),
              QStringList{u"MB_Mitgliedsbeitrag_05122026T143015.xml"_qs});
    EXPECT_TRUE(Site::files(site.exportDir()).isEmpty());
}


// ---- The instants that matter: a kill, SIGTERM or Ctrl-C in the middle of a run ----

struct Instant {
    const char *name;
    const char *point;  // the fault point the program stops at
    const char *action; // KILL, TERM or INT
    int exitCode;       // -1: killed
    bool collected;     // the fees are stored: the bank file must exist after the next start
};

void PrintTo(const Instant &c, std::ostream *os)
{
    *os << c.name;
}

class Instants : public ::testing::TestWithParam<Instant> {};

// Two owners, one of them with an IBAN the bank file cannot take (a log line), DATEV files.
TEST_P(Instants, LeaveTheFileAndItsFeesOrNeither)
{
    const Instant &c = GetParam();
    Site site;
    site.setSetting(u"Fibu"_qs, u"DATEV-FIBU"_qs);
    site.ws.execSql(u"update personal set IBAN = 'DE00', IBAN2 = 'DE00' where nummer = 1010"_qs);
    const QStringList run = site.args(kDebitFee1 + QStringList{u"--set"_qs, u"txtBankKonto=1200"_qs, u"--select-owners"_qs, u"1007,1010,1013"_qs, u"run"_qs});
    const auto p = startBatch(run, {.environment = {u"QVL32_FAULT_POINT="_qs + QString::fromLatin1(c.point) + u':'
                                            + QString::fromLatin1(c.action)}});
    const BatchResult r = finishBatch(*p);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
    const int fees = c.collected ? 2 : 0;
    EXPECT_EQ(site.storedFees(), fees);
    const QString log = site.ws.programDir() + u"/LogDatei.txt"_qs;
    if (c.exitCode == -1) {
        // What a power cut leaves: at most hidden files, no log lines of the run.
        EXPECT_TRUE(visibleFiles(site.exportDir()).isEmpty()) << visibleFiles(site.exportDir()).join(u' ').toStdString();
        EXPECT_TRUE(visibleFiles(site.ws.root() + u"/fibu"_qs).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(log));
        const BatchResult next = runBatch(site.args({u"dump"_qs}));
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        EXPECT_TRUE(next.err.contains(c.collected ? u"haben ihren Namen erhalten"_qs : u"wurden gelöscht"_qs))
            << next.err.toStdString();
        EXPECT_TRUE(QFile::exists(log)) << "the next start logs what it did";
    }
    // The next start (or the run itself) left exactly "all files and fees" or "nothing".
    EXPECT_EQ(Site::files(site.exportDir()), c.collected ? QStringList{kBankFile} : QStringList{});
    EXPECT_EQ(site.storedFees(), fees);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), 0) << "a finished manifest is gone";
    // The register's rows belong to the same commit: the three documents of the run (the
    // owner left out of the bank file pays by transfer) and its run, or nothing.
    EXPECT_EQ(site.count(u"select count(*) from QVL32_BELEGE"_qs), c.collected ? 3 : 0);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAEUFE"_qs) > 0, c.collected);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_BELEGE where zahlweg = 'Lastschrift'"_qs), fees);
    if (c.collected) {
        QFile file(site.exportDir() + u'/' + kBankFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().count("<DrctDbtTxInf>"), 2);
    }
    // The accounting files of a collected run are there, both of the pair, and whole.
    const QStringList accounting = Site::files(site.ws.root() + u"/fibu"_qs);
    const QStringList pair{u"DATEV_BEITLA20261205_1.csv"_qs, u"DATEV_BEITLA_DEBKRED_20261205_1.csv"_qs};
    EXPECT_EQ(accounting, c.collected ? pair : QStringList{});
    for (const QString &name : accounting)
        EXPECT_GT(QFileInfo(site.ws.root() + u"/fibu/"_qs + name).size(), 0) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Batch, Instants,
    ::testing::Values(Instant{"KilledWithTheFileCompleteBeforeTheCommit", "sepa-datei-fertig", "KILL", -1, false},
                      Instant{"KilledAfterTheCommitBeforeTheFileIsNamed", "beitraege-gespeichert", "KILL", -1, true},
                      Instant{"KilledBetweenTheAccountingFiles", "fibu-datei", "KILL", -1, false},
                      Instant{"KilledWithTheRegisterWrittenBeforeTheCommit", "register-geschrieben", "KILL", -1,
                              false},
                      Instant{"TerminatedWithTheRegisterWrittenBeforeTheCommit", "register-geschrieben", "TERM", 143,
                              false},
                      Instant{"TerminatedBeforeTheCommit", "sepa-datei-fertig", "TERM", 143, false},
                      Instant{"CtrlCBeforeTheCommit", "sepa-datei-fertig", "INT", 130, false},
                      Instant{"CtrlCWhileWaitingForTheLock", "vor-sperre", "INT", 130, false},
                      Instant{"TerminatedAfterTheCommit", "beitraege-gespeichert", "TERM", 5, true}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- All of a run or nothing: every output made before the commit, named after it ----

// A kill between any two renames after the commit: the next start names the rest, each
// file exactly once.
TEST(RunOrNothing, AKillBetweenAnyTwoRenamesIsFinishedByTheNextStart)
{
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        Site site;
        ASSERT_EQ(killedAt(datevRun(site), u"umbenannt:KILL#"_qs + QString::number(n)), -1);
        EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), 5) << "the manifest waits";
        const BatchResult next = runBatch(site.args({u"dump"_qs}));
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        EXPECT_TRUE(next.err.contains(u"haben ihren Namen erhalten"_qs)) << next.err.toStdString();
        oneWholeRun(site);
        EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), 0);
    }
}

// Two databases (a test copy and the real one) whose settings share one export folder: the
// start on the other database leaves the committed run's files alone.
TEST(RunOrNothing, AnotherDatabaseNeverTouchesTheFilesOfARun)
{
    Site site;
    const QString copy = site.ws.root() + u"/kopie.sqlite"_qs;
    ASSERT_TRUE(QFile::copy(site.ws.databaseFile(), copy));
    const QStringList other{u"--command-line"_qs, u"Provider=SQLite;Data Source="_qs + copy};
    // The copy has run once, so it has an identity of its own.
    ASSERT_EQ(runBatch(site.args(other + QStringList{u"init-db"_qs})).exitCode, 0);

    ASSERT_EQ(killedAt(datevRun(site), u"beitraege-gespeichert:KILL"_qs), -1);
    const QStringList hidden = hiddenFiles(site.exportDir());
    ASSERT_EQ(hidden.size(), 1);
    const BatchResult elsewhere = runBatch(site.args(other + QStringList{u"dump"_qs}));
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err.toStdString();
    EXPECT_EQ(hiddenFiles(site.exportDir()), hidden) << "another database's start deletes nothing";
    EXPECT_TRUE(visibleFiles(site.exportDir()).isEmpty());

    ASSERT_EQ(runBatch(site.args({u"dump"_qs})).exitCode, 0);
    oneWholeRun(site);
}

// One database, its export folder reached by another path from the next desk (another
// drive mapping): the files are found by their run's identity and named there.
TEST(RunOrNothing, AnotherPathToTheFolderFindsTheFilesByTheirIdentity)
{
    Site site;
    ASSERT_EQ(killedAt(datevRun(site), u"beitraege-gespeichert:KILL"_qs), -1);
    const QString mapped = site.ws.root() + u"/laufwerk-s"_qs;
    ASSERT_TRUE(QDir().rename(site.exportDir(), mapped)); // the path the first desk wrote is gone
    site.setSetting(u"ExportPfad"_qs, mapped);
    const BatchResult next = runBatch(site.args({u"dump"_qs}));
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(Site::files(mapped), QStringList{kBankFile}) << next.err.toStdString();
    EXPECT_EQ(site.storedFees(), 2);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), 0);
}

// The recovery's rename refused (a virus scanner, a share's lock): the file stays hidden and
// whole, never copied; the next start names it once.
TEST(RunOrNothing, ARefusedRenameLeavesTheHiddenFileForTheNextStart)
{
    Site site;
    ASSERT_EQ(killedAt(datevRun(site), u"beitraege-gespeichert:KILL"_qs), -1);
    const BatchResult busy = runBatch(site.args({u"dump"_qs}), {.environment = {u"QVL32_FAULT_POINT=umbenennen:FAIL"_qs}});
    EXPECT_TRUE(busy.err.contains(u"konnte ihren Namen nicht erhalten"_qs)) << busy.err.toStdString();
    EXPECT_TRUE(visibleFiles(site.exportDir()).isEmpty());
    EXPECT_EQ(hiddenFiles(site.exportDir()).size(), 1);
    ASSERT_EQ(runBatch(site.args({u"dump"_qs})).exitCode, 0);
    oneWholeRun(site);
}

// The command check changes nothing, also with an interrupted run waiting, and says who
// will finish it.
TEST(RunOrNothing, CheckChangesNothingAndTellsOfLeftovers)
{
    Site site;
    ASSERT_EQ(killedAt(datevRun(site), u"beitraege-gespeichert:KILL"_qs), -1);
    const QMap<QString, QByteArray> before = tree(site.ws.root());
    const BatchResult r =
        runBatch(site.args(kDebitFee1 + QStringList{u"--set"_qs, u"txtBankKonto=1200"_qs, u"check"_qs}));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"Der nächste Lauf oder Start des Programms benennt sie"_qs)) << r.err.toStdString();
    EXPECT_EQ(tree(site.ws.root()), before);
}

// Own tables: a login that may not create them stops before anything is written, naming
// init-db; init-db creates them once and changes nothing the second time.
TEST(RunOrNothing, OwnTablesComeFromInitDbWhereTheLoginMayNotCreateThem)
{
    Site site;
    const BatchResult refused = runBatch(site.args(QStringList{u"--yes"_qs} + kDebitFee1 + QStringList{u"run"_qs}),
                                         {.environment = {u"QVL32_FAULT_POINT=tabellen-anlegen:FAIL"_qs}});
    EXPECT_EQ(refused.exitCode, 3) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(u"qvl32-sepa-batch init-db"_qs)) << refused.err.toStdString();
    nothingWritten(site);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), -1);

    const BatchResult first = runBatch(site.args({u"init-db"_qs}));
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(u"QVL32_LAUF_DATEIEN"_qs)) << first.out.toStdString();
    const QByteArray database = site.databaseBytes();
    const BatchResult second = runBatch(site.args({u"init-db"_qs}));
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.contains(u"sind vorhanden"_qs)) << second.out.toStdString();
    EXPECT_EQ(site.databaseBytes(), database);

    const BatchResult sql = runBatch({u"init-db"_qs, u"--sql"_qs});
    EXPECT_EQ(sql.exitCode, 0);
    EXPECT_TRUE(sql.out.contains(u"if object_id(N'dbo.QVL32_LAUF_DATEIEN', N'U') is null"_qs)) << sql.out.toStdString();
}

// An invoice run's register rows are part of its one commit as well: a run killed after
// writing them leaves neither rows nor files, the next run issues the same numbers, and
// they are stored once with its letters.
TEST(RunOrNothing, AnInvoiceRunRegistersItsInvoicesInItsOwnCommit)
{
    Site site;
    const QStringList run = site.args(kDebitFee1 + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                               u"txtRechNr=5001"_qs, u"--set"_qs,
                                                               u"chkEinzelbuchungen=1"_qs, u"run"_qs});
    const auto killed = startBatch(run, {.environment = {u"QVL32_FAULT_POINT=register-geschrieben:KILL"_qs}});
    const BatchResult k = finishBatch(*killed);
    ASSERT_EQ(k.exitCode, -1) << k.err.toStdString();
    EXPECT_EQ(site.count(u"select count(*) from QVL32_BELEGE"_qs), 0);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAEUFE"_qs), 0);
    EXPECT_TRUE(visibleFiles(site.ws.root() + u"/berichte"_qs).isEmpty())
        << visibleFiles(site.ws.root() + u"/berichte"_qs).join(u' ').toStdString();

    const BatchResult r = runBatch(run);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(hiddenFiles(site.ws.root() + u"/berichte"_qs).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(site.ws.root() + u"/berichte/Rechnung.pdf"_qs));
    const int invoices = site.count(u"select count(*) from QVL32_BELEGE"_qs);
    ASSERT_GT(invoices, 0);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_BELEGE where art = 'Rechnung' and zahlweg = 'Überweisung'"_qs),
              invoices);
    EXPECT_EQ(site.count(u"select min(rechnr) from QVL32_BELEGE"_qs), 5001);
    EXPECT_EQ(site.count(u"select max(rechnr) from QVL32_BELEGE"_qs), 5000 + invoices);
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAEUFE where sammler is null"_qs), 1);
    // The run names its files: the booking list beside the letters.
    EXPECT_EQ(site.count(u"select count(*) from QVL32_LAEUFE where dateien like '%Dtaus0.csv%'"_qs), 1);
    EXPECT_EQ(site.storedFees(), 0) << "an invoice run stores no fee";
}

// What could fail only after the commit is made before it: an unwritable folder stops the
// run with nothing stored; values too long for a layout are shortened, not refused.
TEST(RunOrNothing, OutputsThatCannotBeMadeStopTheRunBeforeTheCommit)
{
    Site site;
    QFile blocker(site.ws.root() + u"/berichte/E-Rechnungen"_qs); // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const BatchResult r = runBatch(site.args(kDebitFee1 + QStringList{u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs,
                                                                     u"chkERechnung=1"_qs, u"--set"_qs,
                                                                     u"strERechnung=Alle"_qs, u"run"_qs}));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"E-Rechnungen"_qs)) << r.err.toStdString();
    nothingWritten(site);
    EXPECT_EQ(Site::files(site.ws.root() + u"/berichte"_qs), QStringList{u"E-Rechnungen"_qs});

    Site longValues;
    const QString name = QString(120, u'W');
    longValues.ws.execSql(u"update personal set name = '"_qs + QString(60, u'N') + u"', strasse = '"_qs
                          + QString(230, u'S') + u"' where nummer = 1007"_qs);
    const BatchResult ok = runBatch(longValues.args(
        kDebitFee1 + QStringList{u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs, u"txtFirmenName="_qs + name,
                                 u"--select-owners"_qs, u"1007,1013"_qs, u"run"_qs}));
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(longValues.storedFees(), 2);
    EXPECT_TRUE(QFileInfo::exists(longValues.ws.root() + u"/berichte/Rechnung.pdf"_qs));
}

// ---- Two clerks at once ----

// Two runs started together on one database, held at a barrier just before the lock:
// exactly one collects; the other finds its fees and asks (No).
TEST(Faults, TwoRunsStartedTogetherCollectOnce)
{
    Site site;
    const QString go = site.ws.root() + u"/los"_qs;
    const QStringList run = kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007,1010"_qs, u"run"_qs};
    const BatchRun together{.environment = {u"QVL32_FAULT_POINT=vor-sperre:WAIT:"_qs + go}};
    const auto first = startBatch(site.args(run), together);
    QStringList later = site.args(run);
    later[later.indexOf(u"2026-12-05T14:30:15"_qs)] = u"2026-12-05T14:30:16"_qs;
    const auto second = startBatch(later, together);
    for (int i = 0; i < 3000 && QDir(site.ws.root()).entryList({u"los.ready.*"_qs}).size() < 2; ++i)
        QThread::msleep(10);
    const qsizetype ready = QDir(site.ws.root()).entryList({u"los.ready.*"_qs}).size();
    QFile(go).open(QIODevice::WriteOnly);
    const BatchResult a = finishBatch(*first);
    const BatchResult b = finishBatch(*second);
    ASSERT_EQ(ready, 2) << a.exitCode << ' ' << a.err.toStdString() << '\n' << b.exitCode << ' ' << b.err.toStdString();
    EXPECT_EQ(QList<int>({a.exitCode, b.exitCode}).count(0), 1) << a.err.toStdString() << b.err.toStdString();
    EXPECT_EQ(QList<int>({a.exitCode, b.exitCode}).count(3), 1);
    // The second asks the repeated-run question, or, on a machine so busy that the first
    // holds the lock past the wait, stops waiting: either way it writes nothing.
    const QString refused = (a.exitCode == 3 ? a : b).err;
    EXPECT_TRUE(refused.contains(u"sind bereits Beiträge gespeichert"_qs)
                || refused.contains(u"Ein anderer Beitragslauf auf dieser Datenbank ist noch nicht abgeschlossen"_qs))
        << refused.toStdString();
    EXPECT_EQ(Site::files(site.exportDir()).size(), 1) << Site::files(site.exportDir()).join(u' ').toStdString();
    EXPECT_EQ(site.storedFees(), 2);
}

// Two runs on a new database both find the program's tables missing; the one that comes
// second to create them finds them made by the other and goes on.
TEST(Faults, ARunFindsItsTablesMadeMeanwhileAndGoesOn)
{
    Site site;
    const QString go = site.ws.root() + u"/anlegen"_qs;
    const auto first = startBatch(site.args(kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007"_qs, u"run"_qs}),
                                  {.environment = {u"QVL32_FAULT_POINT=tabelle-anlegen:WAIT:"_qs + go}});
    const bool waiting = heldAt(go);
    QStringList later = site.args(kDebitFee1 + QStringList{u"--select-owners"_qs, u"1010"_qs, u"run"_qs});
    later[later.indexOf(u"2026-12-05T14:30:15"_qs)] = u"2026-12-05T14:30:16"_qs;
    const BatchResult second = runBatch(later);
    QFile(go).open(QIODevice::WriteOnly);
    const BatchResult a = finishBatch(*first);
    ASSERT_TRUE(waiting);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    // The first got past its tables. It prepared the same invoice number the second has
    // issued since, so the register refuses it whole: nothing of it is written.
    EXPECT_FALSE(a.err.contains(u"already exists"_qs)) << a.err.toStdString();
    EXPECT_TRUE(a.err.contains(u"Der Beleg konnte nicht eingetragen werden"_qs)) << a.err.toStdString();
    EXPECT_EQ(Site::files(site.exportDir()).size(), 1) << Site::files(site.exportDir()).join(u' ').toStdString();
    EXPECT_EQ(site.storedFees(), 1);
}

// A run that holds the lock longer than a second run waits: the second stops, nothing of
// it written, and the first completes.
TEST(Faults, ASecondRunWaitsAndStopsWhileTheFirstHoldsTheLock)
{
    Site site;
    const QString go = site.ws.root() + u"/weiter"_qs;
    const QStringList run = kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007,1010"_qs, u"run"_qs};
    const auto first = startBatch(site.args(run), {.environment = {u"QVL32_FAULT_POINT=sepa-datei-fertig:WAIT:"_qs + go}});
    heldAt(go);
    const BatchResult second = runBatch(
        QStringList{u"--yes"_qs, u"--program-dir"_qs, site.ws.programDir(), u"--now"_qs, u"2026-12-05T15:00:00"_qs}
        + run);
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_TRUE(second.err.contains(u"Ein anderer Beitragslauf auf dieser Datenbank ist noch nicht abgeschlossen. "
                                    "Bitte warten Sie, bis er beendet ist."_qs))
        << second.err.toStdString();
    EXPECT_TRUE(visibleFiles(site.exportDir()).isEmpty());
    QFile(go).open(QIODevice::WriteOnly);
    const BatchResult a = finishBatch(*first);
    EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
    EXPECT_EQ(Site::files(site.exportDir()), QStringList{kBankFile});
    EXPECT_EQ(site.storedFees(), 2);
}

// Temporary files of a settings save that was killed go at the next start; one that a
// writer still holds stays, and so does every file of the clerk's whose name only looks
// like one (a backup, an archive, a signed copy, an empty numbered accounting file).
TEST(Faults, OnlyTheProgramsOwnTemporaryFilesGoAtTheNextStart)
{
    Site site;
    const QString program = site.ws.programDir();
    const QString abandoned = program + u"/.QVL32-SEPA-Beitragseinzug.ini.qvl32.Ab12Cd"_qs;
    const QString held = program + u"/.QVL32-SEPA-Beitragseinzug.ini.qvl32.Xy34Zz"_qs;
    const QString report = site.exportDir() + u"/.Rechnung.pdf.qvl32.Qq12Rr"_qs;
    const QStringList clerks{program + u"/QVL32-SEPA-Beitragseinzug.ini.backup"_qs,
                             program + u"/QVL32-SEPA-Beitragseinzug.ini.Ab12Cd"_qs,
                             site.exportDir() + u"/Rechnung.pdf.backup"_qs,
                             site.exportDir() + u"/Dtaus0.csv.archiv"_qs,
                             site.exportDir() + u"/.Dtaus0.csv.archiv"_qs,
                             site.exportDir() + u"/Notizen.txt.Ab12Cd"_qs,
                             site.exportDir() + u"/E-Rechnungen/17_1001.pdf.signed"_qs,
                             site.ws.root() + u"/fibu/DATEV_BEITLA20251206_1.csv.backup"_qs,
                             site.ws.root() + u"/fibu/DATEV_BEITLA20251206_1.csv"_qs};
    QDir(site.exportDir()).mkdir(u"E-Rechnungen"_qs);
    for (const QString &path : clerks + QStringList{abandoned, held, report}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        if (!path.endsWith(u"_1.csv"_qs)) // the accounting file stays empty
            file.write("halb");
    }
    QFile holder(held);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockWhileWriting(holder.handle()));
    for (const QString &command : {u"dump"_qs, u"list-runs"_qs}) {
        ASSERT_EQ(runBatch(site.args({command})).exitCode, 0);
        EXPECT_FALSE(QFileInfo::exists(abandoned));
        EXPECT_FALSE(QFileInfo::exists(report));
        EXPECT_TRUE(QFileInfo::exists(held));
        for (const QString &path : clerks)
            EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString() << " belongs to the clerk";
    }
    // Saving the settings leaves no temporary file beside them.
    ASSERT_EQ(runBatch(site.args({u"--save-settings"_qs, u"dump"_qs})).exitCode, 0);
    for (const QString &name : QDir(program).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(name.contains(u".qvl32."_qs) && name != QFileInfo(held).fileName()) << name.toStdString();
}

} // namespace
