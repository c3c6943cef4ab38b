#include "db/ConnectionString.h"
#include "db/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

namespace {

// The drivers of the DSNs the driver manager knows here.
QString registeredDriver(const QString &dsn)
{
    if (dsn == u"Quarvel"_qs)
        return u"FreeTDS /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"_qs;
    if (dsn == u"QuarvelWin"_qs)
        return u"C:\\Windows\\system32\\SQLSRV32.dll"_qs;
    if (dsn == u"Demo"_qs)
        return u"SQLite3 /usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"_qs;
    return {};
}

constexpr const char16_t *kFreeTds = u"FreeTDS";
constexpr const char16_t *kWindows = u"SQL Server";

} // namespace

// Each form of the connection string an office may give, for the FreeTDS and the Windows
// driver: the Qt driver, the dialect, and exactly what Qt is handed as the database name,
// the user and the password as typed (the ODBC string gets them at the door, see
// ConnectionKeysTest). "env" runs with the login QVL32_SQL_USER=DOM\kasse,
// QVL32_SQL_PASSWORD=ge;heim.
TEST(ConnectionString, EveryFormBecomesADriverADialectAndAConnection)
{
    const struct {
        const char16_t *given, *odbcDriver;
        bool env;
        const char16_t *qtDriver;
        SqlDialect dialect;
        const char16_t *databaseName, *user, *password;
    } cases[] = {
        // The suite's INI form: Windows authentication, Kerberos under FreeTDS ...
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;ConnectionTimout = 40;"
         u"Initial Catalog=FBG;Data Source=SRV\\QUARVEL",
         kFreeTds, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=SRV\\QUARVEL;Database=FBG;Trusted_Connection=yes;ClientCharset=UTF-8;"
         u"TDS_Version=7.4",
         u"", u""},
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;ConnectionTimout = 40;"
         u"Initial Catalog=FBG;Data Source=SRV\\QUARVEL",
         kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={SQL Server};Server=SRV\\QUARVEL;Database=FBG;Trusted_Connection=yes", u"", u""},
        // ... or the environment's login in its place (a domain login through FreeTDS).
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;ConnectionTimout = 40;"
         u"Initial Catalog=FBG;Data Source=SRV\\QUARVEL",
         kFreeTds, true, u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=SRV\\QUARVEL;Database=FBG;ClientCharset=UTF-8;TDS_Version=7.4",
         u"DOM\\kasse", u"ge;heim"},
        // ADO's synonyms, any letter case, blanks around keys and values, host,port.
        {u"Server=db,1433;Database=FBG;Trusted_Connection=yes", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={SQL Server};Server=db,1433;Database=FBG;Trusted_Connection=yes", u"", u""},
        {u"Address=db;Initial Catalog=FBG;Integrated Security=true", kFreeTds, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=db,1433;Database=FBG;Trusted_Connection=yes;ClientCharset=UTF-8;TDS_Version=7.4", u"",
         u""},
        {u"addr = db\\SQLEXPRESS ; DATABASE = FBG ; integrated security = Yes", kWindows, false, u"QODBC",
         SqlDialect::SqlServer, u"Driver={SQL Server};Server=db\\SQLEXPRESS;Database=FBG;Trusted_Connection=yes", u"",
         u""},
        // Quoted values keep ";", blanks and doubled quotes.
        {u"Network Address=10.0.0.5,1500;Initial Catalog=FBG;User ID=sa;Password='a;b'", kWindows, false, u"QODBC",
         SqlDialect::SqlServer, u"Driver={SQL Server};Server=10.0.0.5,1500;Database=FBG", u"sa", u"a;b"},
        {u"data source = db ; initial catalog = \" F B G \" ; uid = sa ; pwd = \"x\"\"y\"", kFreeTds, false,
         u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=db,1433;Database={ F B G };ClientCharset=UTF-8;TDS_Version=7.4", u"sa", u"x\"y"},
        {u"Password='it''s';User ID=sa;Data Source=db", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={SQL Server};Server=db", u"sa", u"it's"},
        // Without quotes the ";" ends the password, as ADO reads it.
        {u"Provider=SQLOLEDB;Data Source=db;Initial Catalog=FBG;User ID=sa;Password=ge;heim", kWindows, false,
         u"QODBC", SqlDialect::SqlServer, u"Driver={SQL Server};Server=db;Database=FBG", u"sa", u"ge"},
        {u"Data Source=db;User ID=a=b;Password=", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={SQL Server};Server=db", u"a=b", u""},
        // Windows authentication wins over a login in the same string, as with ADO; the last
        // of a repeated key counts.
        {u"Data Source=db;Integrated Security=SSPI;User ID=sa;Password=geheim", kWindows, false, u"QODBC",
         SqlDialect::SqlServer, u"Driver={SQL Server};Server=db;Trusted_Connection=yes", u"", u""},
        {u"Data Source=alt;Integrated Security=False;Data Source=neu;User ID=sa", kWindows, true, u"QODBC",
         SqlDialect::SqlServer, u"Driver={SQL Server};Server=neu", u"sa", u""},
        // A DSN alone is handed over by its name (Qt writes "DSN=" itself), the login apart.
        {u"DSN=Quarvel", kWindows, false, u"QODBC", SqlDialect::SqlServer, u"Quarvel;ClientCharset=UTF-8", u"", u""},
        {u"DSN=QuarvelWin", kFreeTds, false, u"QODBC", SqlDialect::SqlServer, u"QuarvelWin", u"", u""},
        {u"DSN=Quarvel;UID=kasse;PWD={ge;heim}", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Quarvel;ClientCharset=UTF-8", u"kasse", u"ge;heim"},
        {u" dsn = QuarvelWin ; uid = DOM\\kasse ; pwd = x ", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"QuarvelWin", u"DOM\\kasse", u"x"},
        {u"DSN=Quarvel", kFreeTds, true, u"QODBC", SqlDialect::SqlServer, u"Quarvel;ClientCharset=UTF-8",
         u"DOM\\kasse", u"ge;heim"},
        {u"DSN=Unbekannt;Database=FBG", kFreeTds, false, u"QODBC", SqlDialect::SqlServer, u"Unbekannt;Database=FBG",
         u"", u""},
        {u"DSN=QuarvelWin;Server=anderer", kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"DSN=QuarvelWin;Server=anderer", u"", u""},
        {u"DSN=Demo", kFreeTds, false, u"QODBC", SqlDialect::Sqlite, u"Demo", u"", u""},
        // ADO's provider for ODBC names the DSN as its data source.
        {u"Provider=MSDASQL.1;Persist Security Info=False;User ID=kasse;Data Source=Quarvel", kWindows, false,
         u"QODBC", SqlDialect::SqlServer, u"Quarvel;ClientCharset=UTF-8", u"kasse", u""},
        // ODBC strings keep their keys; FreeTDS always gets UTF-8, and a version only when
        // the string names none.
        {u"Driver={FreeTDS};Server=db;Database=FBG;UID=sa;PWD=x;TDS_Version=7.3;ClientCharset=ISO-8859-1;"
         u"database=andere;uid=andere",
         kWindows, false, u"QODBC", SqlDialect::SqlServer,
         u"Driver={FreeTDS};Server=db,1433;Database=FBG;TDS_Version=7.3;ClientCharset=UTF-8", u"sa", u"x"},
        {u"Driver={FreeTDS};Server=db;Trusted_Connection=yes;PWD={a}};b}", kFreeTds, true, u"QODBC",
         SqlDialect::SqlServer, u"Driver={FreeTDS};Server=db,1433;ClientCharset=UTF-8;TDS_Version=7.4", u"DOM\\kasse",
         u"ge;heim"},
        {u"DRIVER={SQL Server};SERVER=db\\QUARVEL;DATABASE=FBG;Trusted_Connection=Yes", kFreeTds, false, u"QODBC",
         SqlDialect::SqlServer, u"DRIVER={SQL Server};SERVER=db\\QUARVEL;DATABASE=FBG;Trusted_Connection=yes", u"",
         u""},
        {u"DRIVER={SQLite3};Database=/tmp/x.sqlite", kFreeTds, false, u"QODBC", SqlDialect::Sqlite,
         u"DRIVER={SQLite3};Database=/tmp/x.sqlite", u"", u""},
        // The embedded database in both forms, relative to the given folder.
        {u"Provider=SQLite;Data Source=demo/fbg.sqlite", kFreeTds, true, u"QSQLITE", SqlDialect::Sqlite,
         u"/base/demo/fbg.sqlite", u"", u""},
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=demo\\fbg.sqlite;Server=sqlite", kFreeTds,
         false, u"QSQLITE", SqlDialect::Sqlite, u"/base/demo/fbg.sqlite", u"", u""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString() + " / " + QString::fromUtf16(c.odbcDriver).toStdString()
                     + (c.env ? " / env" : ""));
        ConnectionSetup setup;
        setup.odbcDriver = QString::fromUtf16(c.odbcDriver);
        setup.baseDir = u"/base"_qs;
        if (c.env) {
            setup.sqlUser = u"DOM\\kasse"_qs;
            setup.sqlPassword = u"ge;heim"_qs;
        }
        setup.dataSourceDriver = registeredDriver;
        const ConnectionTarget t = translateConnectionString(QString::fromUtf16(c.given), setup);
        EXPECT_EQ(t.qtDriver, QString::fromUtf16(c.qtDriver));
        EXPECT_EQ(t.dialect, c.dialect);
        EXPECT_EQ(t.databaseName, QString::fromUtf16(c.databaseName));
        EXPECT_EQ(t.userName, QString::fromUtf16(c.user));
        EXPECT_EQ(t.password, QString::fromUtf16(c.password));
    }
}

// On Windows the suite's OLE DB form gets the ODBC driver of its provider's family where it
// is installed, else the newest of Microsoft's; "SQL Server" is always there.
TEST(ConnectionString, TheProvidersDriverWhereItIsInstalled)
{
    const QStringList onlyOld{u"SQL Server"_qs, u"Microsoft Access Driver (*.mdb)"_qs};
    const QStringList office{u"SQL Server"_qs, u"SQL Server Native Client 11.0"_qs, u"ODBC Driver 17 for SQL Server"_qs,
                             u"ODBC Driver 18 for SQL Server"_qs, u"FreeTDS"_qs};
    const QStringList client{u"SQL Server"_qs, u"SQL Server Native Client 10.0"_qs, u"SQL Server Native Client 11.0"_qs};
    const struct {
        const char16_t *provider;
        const QStringList &installed;
        const char16_t *driver;
    } cases[] = {
        {u"SQLOLEDB.1", office, u"SQL Server"}, // the suite's own generation, even beside newer ones
        {u"", office, u"SQL Server"},
        {u"SQLNCLI11", office, u"SQL Server Native Client 11.0"},
        {u"sqlncli11.1", client, u"SQL Server Native Client 11.0"},
        {u"SQLNCLI10", client, u"SQL Server Native Client 10.0"},
        {u"MSOLEDBSQL", office, u"ODBC Driver 18 for SQL Server"},
        {u"MSOLEDBSQL.1", QStringList{u"SQL Server"_qs, u"ODBC Driver 17 for SQL Server"_qs},
         u"ODBC Driver 17 for SQL Server"},
        {u"MSOLEDBSQL19", client, u"SQL Server Native Client 11.0"}, // no ODBC driver: the newest there is
        {u"SQLNCLI11", onlyOld, u"SQL Server"},
        {u"MSOLEDBSQL", QStringList{}, u"SQL Server"},
        {u"SQLNCLI11", QStringList{u"FreeTDS"_qs}, u"SQL Server"}, // never FreeTDS
    };
    for (const auto &c : cases)
        EXPECT_EQ(sqlServerDriverFor(QString::fromUtf16(c.provider), c.installed), QString::fromUtf16(c.driver))
            << QString::fromUtf16(c.provider).toStdString() << " / " << c.installed.join(u',').toStdString();

    // The whole string: the driver chosen, Windows authentication kept, no FreeTDS keys.
    ConnectionSetup setup;
    setup.odbcDriver = u"SQL Server"_qs;
    setup.installedDrivers = [&office] { return office; };
    const ConnectionTarget t = translateConnectionString(
        u"Provider=MSOLEDBSQL;Integrated Security=SSPI;Data Source=SRV\\QUARVEL;Initial Catalog=FBG;Encrypt=yes"_qs,
        setup);
    EXPECT_EQ(t.databaseName,
              u"Driver={ODBC Driver 18 for SQL Server};Server=SRV\\QUARVEL;Database=FBG;Trusted_Connection=yes;"
              "Encrypt=yes"_qs);
    EXPECT_TRUE(t.windowsLogin);
    EXPECT_FALSE(t.freeTds);
    EXPECT_EQ(t.driver, u"ODBC Driver 18 for SQL Server"_qs);
    EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    // A driver chosen by the user stays chosen.
    setup.installedDrivers = nullptr;
    EXPECT_TRUE(translateConnectionString(u"Provider=MSOLEDBSQL;Integrated Security=SSPI;Data Source=SRV"_qs, setup)
                    .databaseName.startsWith(u"Driver={SQL Server};"_qs));
}

TEST(ConnectionString, MessagesNameServerDatabaseAndDataSource)
{
    const ConnectionTarget server =
        translateConnectionString(u"Initial Catalog='FBG';Server=SRV;Password=geheim"_qs, u"X"_qs, {});
    EXPECT_EQ(server.server, u"SRV"_qs);
    EXPECT_EQ(server.database, u"FBG"_qs);
    const ConnectionTarget dsn = translateConnectionString(u"DSN=Quarvel;Database=FBG;PWD=geheim"_qs, u"X"_qs, {});
    EXPECT_EQ(dsn.dataSource, u"Quarvel"_qs);
    EXPECT_EQ(dsn.database, u"FBG"_qs);
    EXPECT_EQ(translateConnectionString(u"Provider=SQLite;Data Source=demo/fbg.sqlite"_qs, {}, u"/base"_qs).database,
              u"fbg.sqlite"_qs);
    EXPECT_EQ(connectionStringValue(u"a=1; Initial Catalog = 'X;Y' ;b=2"_qs, u"initial catalog"_qs), u"X;Y"_qs);
}

// A connection string is only ever shown without its passwords, whatever their quoting.
TEST(ConnectionString, ShownWithoutPasswords)
{
    const struct {
        const char16_t *given, *shown;
    } cases[] = {
        {u"Data Source=db;User ID=sa;Password=geheim", u"Data Source=db;User ID=sa;Password=***"},
        {u"Data Source=db;password = 'ge;''heim' ;Initial Catalog=FBG",
         u"Data Source=db;password = *** ;Initial Catalog=FBG"},
        {u"DSN=Quarvel;UID=kasse;PWD={ge;}}heim};PWD=zwei", u"DSN=Quarvel;UID=kasse;PWD=***;PWD=***"},
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=FBG;Data Source=SRV",
         u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=FBG;Data Source=SRV"},
        {u"Data Source=db;Password=", u"Data Source=db;Password="},
        // Quotes of either kind in either kind of string: nothing of the tail shows.
        {u"DSN=Quarvel;UID=kasse;PWD='ge;heim123'", u"DSN=Quarvel;UID=kasse;PWD=***"},
        {u"Server=db;Password={Ge;he}}im};Database=FBG", u"Server=db;Password=***;Database=FBG"},
        {u"Driver={FreeTDS};PWD=\"a;\"\"b\";UID=x", u"Driver={FreeTDS};PWD=***;UID=x"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(withoutPasswords(QString::fromUtf16(c.given)), QString::fromUtf16(c.shown));
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
