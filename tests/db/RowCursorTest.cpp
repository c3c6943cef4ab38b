#include "db/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

namespace {

// Reads the same rows through SQLite's own interface and, when the SQLite ODBC driver is
// installed, through QtSql, and checks that both normalise alike.
class RowCursorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = dir.filePath(u"cells.sqlite"_qs);
        QFile(file).open(QIODevice::WriteOnly);
        auto db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
        db->run(u"create table t (id integer, txt text, num real, flag integer, datum text)"_qs);
        db->run(u"insert into t values (1, 'Größe', 2.5, 1, '2026-03-15')"_qs);
        db->run(u"insert into t values (2, '', NULL, 0, '2026-03-15 08:30:00')"_qs);
        db->run(u"insert into t values (3, NULL, '2,5', NULL, 'kein Datum')"_qs);
        db->run(u"insert into t values (4, '12', '', '-1', NULL)"_qs);
    }

    // Through ODBC a text in a REAL column already arrives converted by the driver.
    void check(Database &db, bool textInRealColumnArrives)
    {
        auto rows = db.select(u"select * from t where id >= ? order by id"_qs, {1});
        const int txt = rows->columnIndex(u"TXT"_qs), num = rows->columnIndex(u"Num"_qs);
        const int flag = rows->columnIndex(u"flag"_qs), datum = rows->columnIndex(u"datum"_qs);
        EXPECT_EQ(rows->columnIndex(u"fehlt"_qs), -1);

        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->text(txt), u"Größe"_qs);
        EXPECT_EQ(rows->number(num), 2.5);
        EXPECT_EQ(rows->text(num), u"2,5"_qs);
        EXPECT_TRUE(rows->boolean(flag));
        EXPECT_EQ(rows->date(datum), QDate(2026, 3, 15));

        ASSERT_TRUE(rows->next());
        EXPECT_TRUE(rows->isBlank(txt));
        EXPECT_TRUE(rows->isBlank(num));
        EXPECT_EQ(rows->number(num), 0.0);
        EXPECT_FALSE(rows->boolean(flag));
        EXPECT_EQ(rows->date(datum), QDate(2026, 3, 15));

        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->text(txt), u""_qs);
        if (textInRealColumnArrives) {
            EXPECT_EQ(rows->number(num), 2.5); // a number typed with the decimal comma
        }
        EXPECT_FALSE(rows->date(datum).isValid());

        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->integer(rows->columnIndex(u"id"_qs)), 4);
        EXPECT_EQ(rows->number(txt), 12.0);
        EXPECT_TRUE(rows->isBlank(num));
        EXPECT_TRUE(rows->boolean(flag));
        EXPECT_FALSE(rows->next());
    }

    QTemporaryDir dir;
    QString file;
};

} // namespace

TEST_F(RowCursorTest, NativeSqliteReading)
{
    auto db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
    check(*db, true);
    EXPECT_THROW(db->select(u"select * from fehlt"_qs), DbError);
}

TEST_F(RowCursorTest, QtSqlReadingThroughOdbc)
{
    std::unique_ptr<Database> db;
    try {
        db = Database::open(u"DRIVER={SQLite3};Database="_qs + file);
    } catch (const DbError &e) {
        GTEST_SKIP() << "SQLite ODBC driver not available: " << e.message().toStdString();
    }
    check(*db, false);
}
