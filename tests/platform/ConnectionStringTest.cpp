#include "platform/ConnectionString.h"
#include "platform/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

TEST(ConnectionString, SuiteOleDbFormBecomesAnOdbcConnectionToSqlServer)
{
    const ConnectionTarget t = translateConnectionString(
        u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;ConnectionTimout = 40;"
        "Initial Catalog=FBG;Data Source=SRV\\QUARVEL"_qs,
        u"FreeTDS"_qs, {});
    EXPECT_EQ(t.qtDriver, u"QODBC"_qs);
    EXPECT_EQ(t.dialect, SqlDialect::SqlServer);
    EXPECT_EQ(t.databaseName, u"Driver={FreeTDS};Server=SRV\\QUARVEL;Database=FBG;Trusted_Connection=yes;"_qs);
    EXPECT_EQ(t.server, u"SRV\\QUARVEL"_qs);
    EXPECT_EQ(t.database, u"FBG"_qs);
}

TEST(ConnectionString, UserAndPasswordAreTranslatedAndBracedWhenNeeded)
{
    const ConnectionTarget t = translateConnectionString(
        u"Provider=SQLOLEDB;Data Source=db;Initial Catalog=FBG;User ID=sa;Password=ge;heim"_qs, u"X"_qs, {});
    // The ";" ends the password in the OLE DB form, as the suite writes it.
    EXPECT_EQ(t.databaseName, u"Driver={X};Server=db;Database=FBG;UID=sa;PWD=ge;"_qs);
    const ConnectionTarget braced =
        translateConnectionString(u"Data Source=db;User ID=a=b;Password="_qs, u"X"_qs, {});
    EXPECT_EQ(braced.databaseName, u"Driver={X};Server=db;UID={a=b};PWD=;"_qs);
}

TEST(ConnectionString, OdbcStringsPassThroughUnchanged)
{
    const QString odbc = u"DRIVER={SQLite3};Database=/tmp/x.sqlite"_qs;
    const ConnectionTarget t = translateConnectionString(odbc, u"FreeTDS"_qs, {});
    EXPECT_EQ(t.qtDriver, u"QODBC"_qs);
    EXPECT_EQ(t.databaseName, odbc);
    EXPECT_EQ(t.dialect, SqlDialect::Sqlite);
    EXPECT_EQ(translateConnectionString(u"DSN=Quarvel"_qs, u"FreeTDS"_qs, {}).dialect, SqlDialect::SqlServer);
}

TEST(ConnectionString, EmbeddedDatabaseInBothForms)
{
    const ConnectionTarget a = translateConnectionString(u"Provider=SQLite;Data Source=demo/fbg.sqlite"_qs, {}, u"/base"_qs);
    EXPECT_EQ(a.qtDriver, u"QSQLITE"_qs);
    EXPECT_EQ(a.databaseName, u"/base/demo/fbg.sqlite"_qs);
    EXPECT_EQ(a.database, u"fbg.sqlite"_qs);
    EXPECT_EQ(a.dialect, SqlDialect::Sqlite);

    const ConnectionTarget b = translateConnectionString(
        u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=demo\\fbg.sqlite;Data Source=sqlite"_qs, {},
        u"/ini"_qs);
    EXPECT_EQ(b.databaseName, u"/ini/demo/fbg.sqlite"_qs);
    EXPECT_EQ(connectionStringValue(u"a=1; Initial Catalog = X ;b=2"_qs, u"initial catalog"_qs), u"X"_qs);
}

TEST(Database, MissingSqliteFileIsNotCreatedAndTheMessageNamesIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"fehlt.sqlite"_qs);
    try {
        Database::open(u"Provider=SQLite;Data Source="_qs + file);
        FAIL() << "opened a missing database";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(u"„fehlt.sqlite“"_qs)) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(file));
}

TEST(Database, ValuesAreBoundNotPastedAndNullsAreNormalised)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"x.sqlite"_qs);
    QFile(file).open(QIODevice::WriteOnly);
    auto db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
    db->run(u"create table personal (Nummer integer, Name text, Hektar real)"_qs);
    db->run(u"insert into personal values (?, ?, ?)"_qs, {1, u"O'Brien'); drop table personal; --"_qs, QVariant()});
    QSqlQuery q = db->run(u"select * from personal where Name = ?"_qs, {u"O'Brien'); drop table personal; --"_qs});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(fieldText(q.record(), u"NAME"_qs), u"O'Brien'); drop table personal; --"_qs);
    EXPECT_EQ(fieldNumber(q.record(), u"hektar"_qs), 0.0);
    EXPECT_TRUE(fieldText(q.record(), u"Hektar"_qs).isEmpty());
    EXPECT_THROW(db->run(u"select * from fehlt"_qs), DbError);
}

TEST(Database, TheSqliteOdbcDriverReachesTheSameFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"odbc.sqlite"_qs);
    {
        QFile(file).open(QIODevice::WriteOnly);
        auto db = Database::open(u"Provider=SQLite;Data Source="_qs + file);
        db->run(u"create table strings (id_string integer, Custom_German text)"_qs);
        db->run(u"insert into strings values (3019, ?)"_qs, {u"Mitgliedsbeitrag"_qs});
    }
    std::unique_ptr<Database> db;
    try {
        db = Database::open(u"DRIVER={SQLite3};Database="_qs + file);
    } catch (const DbError &e) {
        GTEST_SKIP() << "SQLite ODBC driver not available: " << e.message().toStdString();
    }
    EXPECT_EQ(db->dialect(), SqlDialect::Sqlite);
    QSqlQuery q = db->run(u"select * from strings where id_string = ?"_qs, {3019});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(fieldText(q.record(), u"custom_german"_qs), u"Mitgliedsbeitrag"_qs);
}
