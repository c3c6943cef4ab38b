// The manifest of a run in the program's own tables, and what the recovery makes of the
// hidden files it finds: this database's committed run named, its uncommitted one deleted,
// another database's files never touched.
#include "files/AnsiTextFile.h"
#include "db/Database.h"
#include "ledger/OwnTables.h"
#include "run/RunDriver.h"
#include "ledger/RunManifest.h"
#include "ledger/BankFiles.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

std::unique_ptr<Database> openDemo(const Workspace &ws)
{
    return Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
}

// A finished hidden file of `outputs` for `target`, handed to the list.
void hidden(RunOutputs &outputs, const QString &target, const QByteArray &bytes)
{
    std::unique_ptr<CheckedNewFile> file = outputs.createHidden(target);
    ASSERT_TRUE(file->openForWriting());
    file->write(bytes);
    ASSERT_TRUE(file->finishUnnamed());
    outputs.add(std::move(file), target, Naming::NextFree);
}

// What a run left when it was killed: one hidden file, with its manifest when committed,
// the run's start recorded in the database that began it.
QString leftBehind(Database *commitTo, const QString &databaseId, const QString &target, Database *began = nullptr)
{
    RunOutputs outputs(databaseId, RunOutputs::newRunId());
    if (began)
        run_manifest::recordStart(*began, outputs.runId(), databaseId, QFileInfo(target).absolutePath());
    hidden(outputs, target, databaseId.toUtf8());
    if (commitTo)
        run_manifest::record(*commitTo, outputs);
    outputs.keep();
    return outputs.entries().first().hidden;
}

} // namespace

TEST(RunManifest, PendingWhileAManifestWaits)
{
    Workspace ws(1);
    const auto db = openDemo(ws);
    EXPECT_FALSE(bank_files::hasPending(*db)) << "no own tables yet";
    const QStringList missing = missingOwnTables(*db);
    EXPECT_TRUE(missing.contains(u"QVL32_KENNUNG"_qs) && missing.contains(u"QVL32_LAUF_DATEIEN"_qs));
    EXPECT_EQ(missing.size(), ownTables().size());
    EXPECT_EQ(createOwnTables(*db), missing);
    EXPECT_TRUE(createOwnTables(*db).isEmpty()) << "a second time changes nothing";
    const QString id = run_manifest::ensureDatabaseId(*db);
    EXPECT_EQ(id.size(), 12);
    EXPECT_EQ(run_manifest::ensureDatabaseId(*db), id);

    RunOutputs outputs(id, RunOutputs::newRunId());
    hidden(outputs, ws.root() + u"/MB_A.xml"_qs, "a");
    run_manifest::record(*db, outputs);
    outputs.keep();
    EXPECT_TRUE(bank_files::hasPending(*db));
    const QList<run_manifest::Manifest> pending = run_manifest::pending(*db);
    ASSERT_EQ(pending.size(), 1);
    EXPECT_EQ(pending.first().outputs.first().target, ws.root() + u"/MB_A.xml"_qs);
    run_manifest::forget(*db, outputs.runId());
    EXPECT_FALSE(bank_files::hasPending(*db));
}

TEST(RunManifest, RecoveryTouchesOnlyThisDatabasesFiles)
{
    Workspace ws(1);
    const auto db = openDemo(ws);
    createOwnTables(*db);
    const QString id = run_manifest::ensureDatabaseId(*db);
    const QString folder = ws.root() + u"/export"_qs;
    QDir().mkpath(folder);

    leftBehind(db.get(), id, folder + u"/MB_A.xml"_qs, db.get());
    const QString uncommitted = leftBehind(nullptr, id, folder + u"/MB_B.xml"_qs, db.get());
    const QString foreignFile = leftBehind(nullptr, u"ffffffffffff"_qs, folder + u"/MB_C.xml"_qs);
    // A run of this identity the database never began (a copy's, a restored backup's).
    const QString unknown = leftBehind(nullptr, id, folder + u"/MB_D.xml"_qs);

    const bank_files::Recovery done = bank_files::finishInterruptedRuns(*db, {folder});
    EXPECT_FALSE(done.busy);
    EXPECT_EQ(done.named, QStringList{QDir::toNativeSeparators(folder + u"/MB_A.xml"_qs)});
    EXPECT_EQ(done.deleted, QStringList{QDir::toNativeSeparators(uncommitted)});
    EXPECT_TRUE(done.problems.isEmpty()) << done.problems.join(u'\n').toStdString();
    EXPECT_EQ(done.foreign, QStringList{QDir::toNativeSeparators(unknown)});
    QStringList left{QFileInfo(foreignFile).fileName(), QFileInfo(unknown).fileName(), u"MB_A.xml"_qs};
    left.sort();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
    EXPECT_FALSE(bank_files::hasPending(*db));
    EXPECT_TRUE(run_manifest::startedRuns(*db, id).isEmpty()) << "the runs' starts go with their files";
    const QStringList told = bank_files::messages(done);
    ASSERT_EQ(told.size(), 3);
    EXPECT_TRUE(told[0].contains(u"MB_A.xml"_qs));
    EXPECT_TRUE(told[1].contains(u"Es wurde nichts eingezogen."_qs));
    EXPECT_TRUE(told[2].contains(u"nicht angefasst"_qs) && told[2].contains(u"MB_D.xml"_qs));
}

// The desktop program's init-db: No shows the T-SQL and changes nothing, Yes creates the
// tables on the connection.
TEST(RunManifest, TheDesktopProgramOffersToCreateTheTables)
{
    Workspace ws(1);
    auto form = ws.form();
    form->strConnectionString = u"Provider=SQLite;Data Source="_qs + ws.databaseFile();
    ws.ui.answers = {MsgResult::No, MsgResult::Yes};
    EXPECT_FALSE(offerOwnTables(*form));
    ASSERT_FALSE(ws.ui.messages.isEmpty());
    EXPECT_TRUE(ws.ui.messages.last().text.contains(u"if object_id(N'dbo.QVL32_KENNUNG', N'U') is null"_qs))
        << ws.ui.messages.last().text.toStdString();
    EXPECT_EQ(missingOwnTables(*openDemo(ws)).size(), ownTables().size());
    EXPECT_TRUE(offerOwnTables(*form));
    EXPECT_TRUE(missingOwnTables(*openDemo(ws)).isEmpty());
    EXPECT_TRUE(run_manifest::databaseId(*openDemo(ws)).has_value());
}

// A bank file an older version committed but did not name is still named, once.
TEST(RunManifest, AnOlderVersionsPendingBankFileIsNamed)
{
    Workspace ws(1);
    const auto db = openDemo(ws);
    const QString folder = ws.root() + u"/export"_qs;
    QDir().mkpath(folder);
    const QString old = folder + u"/.MB_A.xml.Ab12Cd"_qs;
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Document/>");
    file.close();
    db->run(u"create table QVL32_SEPA_DATEIEN (datei text not null, ziel text not null, rechner text not null)"_qs);
    db->run(u"insert into QVL32_SEPA_DATEIEN values (?, ?, 'pc')"_qs, {old, folder + u"/MB_A.xml"_qs});
    EXPECT_TRUE(bank_files::hasPending(*db));

    const bank_files::Recovery done = bank_files::finishInterruptedRuns(*db, {folder});
    EXPECT_EQ(done.named, QStringList{QDir::toNativeSeparators(folder + u"/MB_A.xml"_qs)});
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"MB_A.xml"_qs});
    EXPECT_FALSE(bank_files::hasPending(*db));
    EXPECT_TRUE(bank_files::finishInterruptedRuns(*db, {folder}).named.isEmpty());
}
