// What the outside world does to a run at and after its commit: an error from the commit
// that was no failure, a failed sync of the database's folder, copies of the database and
// databases sharing a folder, another working directory, a clerk pondering the question.
// Whatever happens, stored fees have all their files and no file is deleted or replaced
// that is not provably the run's own.
#include "support/FaultSite.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A copy of the site's database sharing its folders, started with its own command line.
struct Copy {
    QString file;
    QStringList args;
};

Copy copyOf(const Site &site, const QString &name)
{
    Copy c{site.ws.root() + u'/' + name, {}};
    EXPECT_TRUE(QFile::copy(site.ws.databaseFile(), c.file));
    c.args = {u"--command-line"_qs, u"Provider=SQLite;Data Source="_qs + c.file};
    return c;
}

QString identityOf(const QString &databaseFile)
{
    sqlite3 *db = nullptr;
    QString id;
    if (sqlite3_open_v2(databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select min(kennung) from QVL32_KENNUNG", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            id = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return id;
}

QStringList allHidden(const Site &site)
{
    QStringList out;
    for (const QString &dir : {site.exportDir(), site.ws.root() + u"/fibu"_qs, site.ws.root() + u"/berichte"_qs})
        out += hiddenFiles(dir);
    return out;
}

// Either the whole run (fees, bank file, accounting pair, slip) or nothing at all.
void allOrNothing(const Site &site, const QString &trace)
{
    SCOPED_TRACE(trace.toStdString());
    EXPECT_TRUE(allHidden(site).isEmpty()) << allHidden(site).join(u' ').toStdString();
    // No manifest waits (or the run failed before the program's tables were made).
    EXPECT_LE(site.count(u"select count(*) from QVL32_LAUF_DATEIEN"_qs), 0);
    if (site.storedFees() > 0) {
        oneWholeRun(site);
        return;
    }
    EXPECT_TRUE(visibleFiles(site.exportDir()).isEmpty()) << visibleFiles(site.exportDir()).join(u' ').toStdString();
    EXPECT_TRUE(visibleFiles(site.ws.root() + u"/fibu"_qs).isEmpty());
    EXPECT_TRUE(visibleFiles(site.ws.root() + u"/berichte"_qs).isEmpty());
}

// An error from the commit itself: the run reads its manifest back and names the files when
// the fees are stored; when the database cannot be read it deletes nothing and the next
// start decides.
TEST(CommitErrors, AreReadBackNotTakenAsFailures)
{
    struct Case {
        const char *faults;
        bool readBack;
    };
    for (const Case &c : {Case{"commit-io:FAIL", true}, Case{"commit-antwort:FAIL", true},
                          Case{"commit-io:FAIL,nachlesen:FAIL", false}}) {
        SCOPED_TRACE(c.faults);
        Site site;
        const BatchResult r =
            runBatch(datevRun(site), {.environment = {u"QVL32_FAULT_POINT="_qs + QString::fromLatin1(c.faults)}});
        EXPECT_EQ(r.exitCode, 5) << r.err.toStdString();
        EXPECT_EQ(site.storedFees(), 2);
        if (c.readBack) {
            EXPECT_TRUE(r.err.contains(u"Die Beiträge sind aber gespeichert (nachgelesen)"_qs)) << r.err.toStdString();
            EXPECT_TRUE(r.out.contains(kBankFile)) << r.out.toStdString();
            oneWholeRun(site);
            EXPECT_EQ(site.count(u"select count(*) from QVL32_LAUF_BEGONNEN"_qs), 0);
        } else {
            EXPECT_TRUE(r.err.contains(u"ist nicht sicher"_qs)) << r.err.toStdString();
            EXPECT_FALSE(r.out.contains(kBankFile)) << "no file has its name yet: " << r.out.toStdString();
            EXPECT_EQ(hiddenFiles(site.exportDir()).size(), 1) << "nothing deleted";
        }
        const BatchResult next = runBatch(site.args({u"dump"_qs}));
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        oneWholeRun(site);
    }
}

// Every sync of the database's file, its journal and its folder failing in turn with EIO,
// as a failing disk or share does (strace injects it): the run and the next start leave the
// whole run or nothing, and a run that says it failed stored nothing.
TEST(CommitErrors, EveryFailedSyncOfTheDatabaseLeavesAllOrNothing)
{
    const QString strace = QStandardPaths::findExecutable(u"strace"_qs);
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const auto traced = [&](const Site &site, const QStringList &more) {
        const QString db = site.ws.databaseFile();
        return QStringList{strace, u"-f"_qs, u"-qq"_qs, u"-e"_qs, u"signal=none"_qs, u"-e"_qs, u"trace=fsync,fdatasync"_qs,
                           u"-P"_qs,
                           site.ws.root(), u"-P"_qs, db, u"-P"_qs, db + u"-journal"_qs} + more;
    };
    // LeakSanitizer cannot work under ptrace (the sanitizer build's tests).
    const QStringList kUntraceable{u"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"_qs};
    int syncs = 0;
    {
        Site site;
        const QString log = site.ws.root() + u"/syncs.txt"_qs;
        const BatchResult r = runBatch(datevRun(site), {.environment = kUntraceable, .wrapper = traced(site, {u"-o"_qs, log})});
        if (r.exitCode != 0 && r.err.contains(u"ptrace"_qs))
            GTEST_SKIP() << "strace cannot trace here: " << r.err.toStdString();
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // One finished call a line ("fsync(5) = 0", "<... fdatasync resumed>) = 0").
        for (const QByteArray &line : file.readAll().split('\n'))
            syncs += line.contains(" = ") ? 1 : 0;
    }
    ASSERT_GT(syncs, 4) << "the run syncs the database's journal, file and folder";
    int readBack = 0; // runs whose commit answered EIO although it was on the disk
    for (int n = 1; n <= syncs; ++n) {
        Site site;
        const QString when = u"inject=fsync,fdatasync:error=EIO:when="_qs + QString::number(n);
        const BatchResult r = runBatch(
            datevRun(site),
            {.environment = kUntraceable, .wrapper = traced(site, {u"-o"_qs, u"/dev/null"_qs, u"-e"_qs, when})});
        const QString trace = u"EIO at sync "_qs + QString::number(n) + u", exit "_qs + QString::number(r.exitCode)
                              + u'\n' + r.err;
        if (r.exitCode == 0) {
            EXPECT_EQ(site.storedFees(), 2) << trace.toStdString();
        } else if (r.exitCode == 1) {
            EXPECT_EQ(site.storedFees(), 0) << "a run that failed stored nothing: " << trace.toStdString();
        }
        readBack += r.err.contains(u"sind aber gespeichert (nachgelesen)"_qs) ? 1 : 0;
        const BatchResult next = runBatch(site.args({u"dump"_qs}));
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        allOrNothing(site, trace + u"\nnext start:\n"_qs + next.err);
    }
    // The sync of the folder after the journal is gone is among them: SQLite's error there
    // comes after the commit reached the disk.
    EXPECT_GT(readBack, 0);
}

// A copy of the database (same identity) pointed at the same folders and started while the
// original's committed run waits for its names: the copy takes an identity of its own and
// touches nothing; the original names its files at its next start. A run killed before its
// commit is likewise left to the database that began it.
TEST(DatabaseCopies, NeverTouchTheOriginalsRuns)
{
    for (const char *point : {"beitraege-gespeichert", "sepa-datei-fertig"}) {
        SCOPED_TRACE(point);
        const bool committed = QByteArray(point) == "beitraege-gespeichert";
        Site site;
        ASSERT_EQ(runBatch(site.args({u"init-db"_qs})).exitCode, 0);
        const Copy copy = copyOf(site, u"kopie.sqlite"_qs);
        ASSERT_EQ(identityOf(copy.file), identityOf(site.ws.databaseFile()));
        ASSERT_EQ(killedAt(datevRun(site), QString::fromLatin1(point) + u":KILL"_qs), -1);
        const QStringList hidden = allHidden(site);
        ASSERT_FALSE(hidden.isEmpty());

        const BatchResult elsewhere = runBatch(site.args(copy.args + QStringList{u"list-runs"_qs}));
        EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err.toStdString();
        EXPECT_FALSE(elsewhere.err.contains(u"gelöscht"_qs)) << elsewhere.err.toStdString();
        EXPECT_EQ(allHidden(site), hidden) << "the copy deletes and names nothing";
        EXPECT_NE(identityOf(copy.file), identityOf(site.ws.databaseFile())) << "the copy knows it is one";

        const BatchResult original = runBatch(site.args({u"dump"_qs}));
        EXPECT_EQ(original.exitCode, 0) << original.err.toStdString();
        EXPECT_TRUE(original.err.contains(committed ? u"haben ihren Namen erhalten"_qs : u"wurden gelöscht"_qs))
            << original.err.toStdString();
        if (committed)
            oneWholeRun(site);
        else
            allOrNothing(site, original.err);
    }
}

// Hidden files of the database's own identity whose run it never began (a restored backup,
// a copy the program could not tell) are left alone and named.
TEST(DatabaseCopies, AFileOfARunThisDatabaseNeverBeganIsNamedNotDeleted)
{
    Site site;
    ASSERT_EQ(runBatch(site.args({u"init-db"_qs})).exitCode, 0);
    const QByteArray before = site.databaseBytes();
    ASSERT_EQ(killedAt(datevRun(site), u"sepa-datei-fertig:KILL"_qs), -1);
    const QStringList hidden = allHidden(site);
    ASSERT_FALSE(hidden.isEmpty());
    // The backup from before the run, restored in place: same file, same identity.
    QFile db(site.ws.databaseFile());
    ASSERT_TRUE(db.open(QIODevice::ReadWrite));
    ASSERT_TRUE(db.resize(0));
    ASSERT_EQ(db.write(before), before.size());
    db.close();
    const BatchResult r = runBatch(site.args({u"dump"_qs}));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"gehören zu einem Lauf einer anderen Datenbank oder Kopie: nicht angefasst"_qs))
        << r.err.toStdString();
    EXPECT_EQ(allHidden(site), hidden);
}

// One database reached by a symlink is the same database: its own run is recovered.
TEST(DatabaseCopies, ASymlinkIsTheSameDatabase)
{
    Site site;
    const QString link = site.ws.root() + u"/verknuepft.sqlite"_qs;
    ASSERT_TRUE(QFile::link(site.ws.databaseFile(), link));
    const QStringList viaLink{u"--command-line"_qs, u"Provider=SQLite;Data Source="_qs + link};
    ASSERT_EQ(runBatch(site.args(viaLink + QStringList{u"init-db"_qs})).exitCode, 0);
    const QString id = identityOf(site.ws.databaseFile());
    ASSERT_EQ(killedAt(site.args(viaLink + datevRun(site).mid(6)), u"beitraege-gespeichert:KILL"_qs), -1);
    const BatchResult r = runBatch(site.args({u"dump"_qs}));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(identityOf(site.ws.databaseFile()), id);
    oneWholeRun(site);
}

// Two databases sharing a reports folder: A killed after its commit, B runs to the end, A
// starts. A's fee notices get their run's day in the name; B's stay as B wrote them.
TEST(DatabaseCopies, RecoveryNeverReplacesAnotherRunsReports)
{
    Site site;
    const Copy b = copyOf(site, u"zweite.sqlite"_qs);
    const QStringList letters = kDebitFee1 + QStringList{u"--set"_qs, u"chkRechnung=1"_qs, u"--select-owners"_qs,
                                                         u"1007,1013"_qs, u"run"_qs};
    ASSERT_EQ(killedAt(site.args(letters), u"beitraege-gespeichert:KILL"_qs), -1);
    QStringList later = site.args(b.args + letters);
    later[later.indexOf(u"2026-12-05T14:30:15"_qs)] = u"2026-12-05T15:00:00"_qs;
    const BatchResult second = runBatch(later);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QString reports = site.ws.root() + u"/berichte"_qs;
    const QMap<QString, QByteArray> bReports = tree(reports);
    ASSERT_TRUE(bReports.contains(reports + u"/Rechnung.pdf"_qs));

    const BatchResult a = runBatch(site.args({u"dump"_qs}));
    EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
    EXPECT_TRUE(a.err.contains(u"tragen seinen Tag im Namen"_qs)) << a.err.toStdString();
    const QMap<QString, QByteArray> after = tree(reports);
    for (auto it = bReports.cbegin(); it != bReports.cend(); ++it)
        if (!QFileInfo(it.key()).fileName().startsWith(u'.')) // A's hidden files are A's to name
            EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString() << " was replaced";
    const QRegularExpression dated(u"/Rechnung_\\d{4}-\\d{2}-\\d{2}_2\\.pdf$"_qs);
    EXPECT_EQ(std::count_if(after.keyBegin(), after.keyEnd(), [&](const QString &k) { return dated.match(k).hasMatch(); }),
              1)
        << QStringList(after.keys()).join(u' ').toStdString();
    EXPECT_TRUE(allHidden(site).isEmpty());
}

// A run given a relative reports folder, recovered by a start in another working
// directory: the reports are named where they were written.
TEST(RunFolders, ARelativeReportsFolderIsRecoveredWhereItWasWritten)
{
    Site site;
    QStringList run = datevRun(site);
    run[run.indexOf(site.ws.root() + u"/berichte"_qs)] = u"berichte"_qs;
    const auto p = startBatch(run, {.workingDir = site.ws.root(),
                                    .environment = {u"QVL32_FAULT_POINT=beitraege-gespeichert:KILL"_qs}});
    ASSERT_EQ(finishBatch(*p).exitCode, -1);
    QDir(site.ws.programDir()).mkdir(u"berichte"_qs);
    QStringList next = site.args({u"dump"_qs});
    next[next.indexOf(site.ws.root() + u"/berichte"_qs)] = u"berichte"_qs;
    const BatchResult r = runBatch(next, {.workingDir = site.ws.programDir()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    oneWholeRun(site);
    EXPECT_TRUE(QDir(site.ws.programDir() + u"/berichte"_qs).isEmpty());
}

QString messageIdOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch m = QRegularExpression(u"<MsgId>([^<]*)</MsgId>"_qs).match(QString::fromUtf8(f.readAll()));
    return m.captured(1);
}

// Two runs over the same owners in the same second (fee 1, then fee 2): two message ids,
// each within the schema's 35 characters, each the payment information's id after "LS00".
TEST(BankFileIds, NeverRepeat)
{
    Site site;
    const QStringList owners{u"--select-owners"_qs, u"1007,1013"_qs, u"run"_qs};
    ASSERT_EQ(runBatch(site.args(kDebitFee1 + owners)).exitCode, 0);
    const BatchResult second = runBatch(site.args(
        {u"--set"_qs, u"chkBeitrag(0)=0"_qs, u"--set"_qs, u"chkBeitrag(1)=1"_qs, u"--set"_qs,
         u"txtMindestbeitrag2=7,50"_qs, u"--select-owners"_qs,
         u"1007,1013"_qs, u"run"_qs}));
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QStringList files = visibleFiles(site.exportDir());
    ASSERT_EQ(files.size(), 2) << files.join(u' ').toStdString();
    const QString a = messageIdOf(site.exportDir() + u'/' + files[0]);
    const QString b = messageIdOf(site.exportDir() + u'/' + files[1]);
    EXPECT_NE(a, b);
    for (const QString &id : {a, b}) {
        EXPECT_LE(id.size() + 4, 35) << id.toStdString();
        EXPECT_TRUE(QRegularExpression(u"^[A-Za-z0-9-]+$"_qs).match(id).hasMatch()) << id.toStdString();
    }
    // The register keeps the id each fee notice was debited under.
    EXPECT_EQ(site.count(u"select count(distinct sammler) from QVL32_LAEUFE where sammler is not null"_qs), 2);
}

// A run whose clerk ponders the repeated-run question holds no lock: a second run started
// meanwhile goes through, and the first, when it goes on, finds the fees the second stored
// and asks again (No).
TEST(RunLock, IsNotHeldWhileTheQuestionWaits)
{
    Site site;
    const QString go = site.ws.root() + u"/weiter"_qs;
    const QStringList run = kDebitFee1 + QStringList{u"--select-owners"_qs, u"1007,1010"_qs, u"run"_qs};
    const auto first = startBatch(site.args(run), {.environment = {u"QVL32_FAULT_POINT=nach-frage:WAIT:"_qs + go}});
    ASSERT_TRUE(heldAt(go));
    QStringList later = site.args(run);
    later[later.indexOf(u"2026-12-05T14:30:15"_qs)] = u"2026-12-05T14:30:16"_qs;
    const BatchResult second = runBatch(later);
    QFile(go).open(QIODevice::WriteOnly);
    const BatchResult a = finishBatch(*first);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(a.exitCode, 3) << a.err.toStdString();
    EXPECT_TRUE(a.err.contains(u"sind bereits Beiträge gespeichert"_qs)) << a.err.toStdString();
    EXPECT_EQ(visibleFiles(site.exportDir()).size(), 1);
    EXPECT_EQ(site.storedFees(), 2);
    EXPECT_TRUE(allHidden(site).isEmpty());
}

// A journal an interrupted writer left: the command check reads the database read-only,
// changes no byte and says why it cannot read; the next start that writes rolls it back.
TEST(CheckCommand, LeavesAnInterruptedWritersJournalAlone)
{
    Site site;
    const QByteArray path = site.ws.databaseFile().toUtf8();
    const pid_t child = ::fork();
    if (child == 0) {
        sqlite3 *db = nullptr;
        sqlite3_open(path.constData(), &db);
        sqlite3_exec(db, "pragma cache_size=1; begin; create table halb(x); insert into halb "
                         "with recursive n(i) as (select 1 union all select i + 1 from n where i < 20000) "
                         "select hex(randomblob(64)) from n;",
                     nullptr, nullptr, nullptr);
        ::_exit(0); // the transaction never ends
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const QString journal = site.ws.databaseFile() + u"-journal"_qs;
    ASSERT_TRUE(QFileInfo::exists(journal));
    const QByteArray database = site.databaseBytes();
    const BatchResult r = runBatch(site.args(kDebitFee1 + QStringList{u"check"_qs}));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(u"Ein Schreibvorgang auf der Datenbank wurde unterbrochen"_qs)) << r.err.toStdString();
    EXPECT_EQ(site.databaseBytes(), database);
    EXPECT_TRUE(QFileInfo::exists(journal));
    ASSERT_EQ(runBatch(site.args({u"dump"_qs})).exitCode, 0);
    EXPECT_EQ(site.count(u"select count(*) from sqlite_master where name = 'halb'"_qs), 0);
}

} // namespace
