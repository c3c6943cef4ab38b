#include "platform/ConnectionString.h"
#include "platform/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

// Each form of the connection string the suite or a user may give: Qt driver, dialect and
// what Qt is handed as the database name.
TEST(ConnectionString, EveryFormBecomesADriverADialectAndAConnection)
{
    const struct {
        const char16_t *given, *odbcDriver, *base;
        const char16_t *qtDriver;
        SqlDialect dialect;
        const char16_t *databaseName;
    } cases[] = {
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;ConnectionTimout = 40;"
         u"Initial Catalog=FBG;Data Source=SRV\\QUARVEL",
         u"FreeTDS", u"", u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=SRV\\QUARVEL;Database=FBG;Trusted_Connection=yes;"},
        // The ";" ends the password in the OLE DB form, as the suite writes it.
        {u"Provider=SQLOLEDB;Data Source=db;Initial Catalog=FBG;User ID=sa;Password=ge;heim", u"X", u"", u"QODBC",
         SqlDialect::SqlServer, u"Driver={X};Server=db;Database=FBG;UID=sa;PWD=ge;"},
        {u"Data Source=db;User ID=a=b;Password=", u"X", u"", u"QODBC", SqlDialect::SqlServer,
         u"Driver={X};Server=db;UID={a=b};PWD=;"},
        // ODBC strings pass through unchanged; the driver tells the dialect.
        {u"DRIVER={SQLite3};Database=/tmp/x.sqlite", u"FreeTDS", u"", u"QODBC", SqlDialect::Sqlite,
         u"DRIVER={SQLite3};Database=/tmp/x.sqlite"},
        {u"DSN=Quarvel", u"FreeTDS", u"", u"QODBC", SqlDialect::SqlServer, u"DSN=Quarvel"},
        // The embedded database in both forms, relative to the given folder.
        {u"Provider=SQLite;Data Source=demo/fbg.sqlite", u"", u"/base", u"QSQLITE", SqlDialect::Sqlite,
         u"/base/demo/fbg.sqlite"},
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=demo\\fbg.sqlite;Data Source=sqlite", u"",
         u"/ini", u"QSQLITE", SqlDialect::Sqlite, u"/ini/demo/fbg.sqlite"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString());
        const ConnectionTarget t = translateConnectionString(QString::fromUtf16(c.given),
                                                             QString::fromUtf16(c.odbcDriver), QString::fromUtf16(c.base));
        EXPECT_EQ(t.qtDriver, QString::fromUtf16(c.qtDriver));
        EXPECT_EQ(t.dialect, c.dialect);
        EXPECT_EQ(t.databaseName, QString::fromUtf16(c.databaseName));
    }
    // What the caption and the messages name.
    const ConnectionTarget server = translateConnectionString(u"Initial Catalog=FBG;Data Source=SRV"_qs, u"X"_qs, {});
    EXPECT_EQ(server.server, u"SRV"_qs);
    EXPECT_EQ(server.database, u"FBG"_qs);
    EXPECT_EQ(translateConnectionString(u"Provider=SQLite;Data Source=demo/fbg.sqlite"_qs, {}, u"/base"_qs).database,
              u"fbg.sqlite"_qs);
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
