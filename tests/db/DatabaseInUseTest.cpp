#include "db/Database.h"
#include "db/DatabaseCheck.h"
#include "db/DatabaseInUse.h"

#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace qvl;

namespace {

// The embedded database with one table, and a second connection of its own that can hold
// a lock on it, as another program or a second desk would.
class DatabaseInUseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = dir.filePath(u"verband.sqlite"_qs);
        QFile(file).open(QIODevice::WriteOnly);
        db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
        db->run(u"create table personal (nummer integer)"_qs);
        db->run(u"insert into personal values (1001)"_qs);
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &other), SQLITE_OK);
        // The test does not wait for the lock as the program would.
        sqlite3_busy_timeout(db->nativeSqlite(), 0);
    }
    void TearDown() override { sqlite3_close(other); }

    void hold(const char *how) { ASSERT_EQ(sqlite3_exec(other, how, nullptr, nullptr, nullptr), SQLITE_OK); }

    static void expectInUse(const std::function<void()> &step)
    {
        try {
            step();
            ADD_FAILURE() << "no error";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains(u"von einem anderen Programm oder an einem anderen Arbeitsplatz benutzt"_qs))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(u"noch einmal"_qs)) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(u"ist beschädigt"_qs)) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(u"Sicherung"_qs)) << e.message().toStdString();
        }
    }

    QTemporaryDir dir;
    QString file;
    std::unique_ptr<Database> db;
    sqlite3 *other = nullptr;
};

} // namespace

// The check before a run, a statement and a query on a locked file: in use, never damaged.
TEST_F(DatabaseInUseTest, ALockedEmbeddedDatabaseIsInUseNotDamaged)
{
    EXPECT_NO_THROW(checkEmbeddedDatabase(*db));
    hold("BEGIN EXCLUSIVE; insert into personal values (1002);");
    expectInUse([&] { checkEmbeddedDatabase(*db); });
    expectInUse([&] { db->run(u"select count(*) from personal"_qs); });
    expectInUse([&] {
        auto rows = db->select(u"select nummer from personal"_qs);
        while (rows->next()) {
        }
    });
    hold("COMMIT;");
    EXPECT_NO_THROW(checkEmbeddedDatabase(*db));
    auto rows = db->select(u"select count(*) from personal"_qs);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->number(0), 2);
}

TEST(DatabaseInUse, LockCodesOfBothDatabasesAreToldApartFromOtherFailures)
{
    EXPECT_TRUE(sqliteInUse(SQLITE_BUSY));
    EXPECT_TRUE(sqliteInUse(SQLITE_LOCKED));
    EXPECT_TRUE(sqliteInUse(SQLITE_BUSY_SNAPSHOT));
    EXPECT_TRUE(sqliteInUse(SQLITE_LOCKED_SHAREDCACHE));
    EXPECT_FALSE(sqliteInUse(SQLITE_CORRUPT));
    EXPECT_FALSE(sqliteInUse(SQLITE_IOERR));

    const QSqlError serverTimeOut(u"Unable to execute statement"_qs,
                                  u"[FreeTDS][SQL Server]Lock request time out period exceeded."_qs,
                                  QSqlError::StatementError, u"1222"_qs);
    EXPECT_TRUE(databaseInUse(serverTimeOut, false));
    const QSqlError serverOther(u"Unable to execute statement"_qs, u"Invalid object name 'personal'."_qs,
                                QSqlError::StatementError, u"208"_qs);
    EXPECT_FALSE(databaseInUse(serverOther, false));
    // SQL Server's 517 is an overflow, whatever SQLite's extended code 517 would be.
    EXPECT_FALSE(databaseInUse(QSqlError(u"x"_qs, u"overflow"_qs, QSqlError::StatementError, u"517"_qs), false));
    EXPECT_TRUE(databaseInUse(QSqlError(u"x"_qs, u"database is locked"_qs, QSqlError::StatementError, u"5"_qs), true));
    EXPECT_FALSE(databaseInUse(QSqlError(u"x"_qs, u"disk I/O error"_qs, QSqlError::StatementError, u"10"_qs), true));

}
