// The keys a connection string sets besides server, database and login (port, time-out,
// encryption, the driver), how the login is written into the ODBC string, and which
// message each failure gets.

#include "db/ConnectionFailure.h"
#include "db/ConnectionString.h"

#include <gtest/gtest.h>

using namespace qvl;

namespace {

ConnectionSetup setupFor(const char16_t *odbcDriver)
{
    ConnectionSetup setup;
    setup.odbcDriver = QString::fromUtf16(odbcDriver);
    // Only FreeTDS is installed here.
    setup.driverInstalled = [](const QString &driver) { return driver == u"FreeTDS"_qs; };
    setup.dataSourceDriver = [](const QString &dsn) {
        return dsn == u"Kasse"_qs ? u"FreeTDS /usr/lib/libtdsodbc.so"_qs : QString();
    };
    return setup;
}

} // namespace

TEST(ConnectionKeys, PortTimeoutEncryptionAndDriverBecomeTheDriversKeys)
{
    const struct {
        const char16_t *given, *odbcDriver, *databaseName;
        int port, timeout;
        bool encrypted;
        bool noted; // the driver was replaced
    } cases[] = {
        // The suite's INI without a port: FreeTDS knows no default port for it.
        {u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=FBG;Data Source=SRV", u"FreeTDS",
         u"Driver={FreeTDS};Server=SRV,1433;Database=FBG;Trusted_Connection=yes;ClientCharset=UTF-8;TDS_Version=7.4",
         1433, 0, false, false},
        {u"Data Source=SRV;Initial Catalog=FBG", u"SQL Server", u"Driver={SQL Server};Server=SRV;Database=FBG", 1433, 0,
         false, false},
        // An instance is found through the SQL Browser; "tcp:" goes.
        {u"Data Source=tcp:SRV\\QUARVEL;Connect Timeout=15", u"FreeTDS",
         u"Driver={FreeTDS};Server=SRV\\QUARVEL;ClientCharset=UTF-8;TDS_Version=7.4", 0, 15, false, false},
        {u"Server=tcp:srv , 1500;Connection Timeout=7;Encrypt=True;TrustServerCertificate=True", u"FreeTDS",
         u"Driver={FreeTDS};Server=srv,1500;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4", 1500, 7, true,
         false},
        {u"Server=tcp:srv,1500;Timeout=0;Encrypt=mandatory;TrustServerCertificate=yes", u"SQL Server",
         u"Driver={SQL Server};Server=srv,1500;Encrypt=yes;TrustServerCertificate=yes", 1500, 0, true, false},
        {u"Provider=SQLOLEDB;Data Source=srv;Use Encryption for Data=True", u"FreeTDS",
         u"Driver={FreeTDS};Server=srv,1433;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4", 1433, 0, true,
         false},
        {u"Server=srv;Encrypt=Optional;Connect Timeout=abc", u"FreeTDS",
         u"Driver={FreeTDS};Server=srv,1433;ClientCharset=UTF-8;TDS_Version=7.4", 1433, 0, false, false},
        // ODBC strings: FreeTDS's own port key kept; the time-out is no key of the string.
        {u"Driver={FreeTDS};Server=srv;Port=1500;Timeout=9;Encrypt=strict", u"FreeTDS",
         u"Driver={FreeTDS};Server=srv;Port=1500;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4", 1500, 9, true,
         false},
        {u"Driver={FreeTDS};Server=srv;Encryption=require", u"FreeTDS",
         u"Driver={FreeTDS};Server=srv,1433;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4", 1433, 0, true,
         false},
        // A Windows driver named where only FreeTDS is installed.
        {u"Driver={ODBC Driver 17 for SQL Server};Server=tcp:srv,1433;Database=FBG;Encrypt=yes;"
         u"TrustServerCertificate=yes",
         u"FreeTDS",
         u"Driver={FreeTDS};Server=srv,1433;Database=FBG;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4",
         1433, 0, true, true},
        {u"DRIVER={SQL Server};SERVER=srv", u"FreeTDS",
         u"DRIVER={FreeTDS};SERVER=srv,1433;ClientCharset=UTF-8;TDS_Version=7.4", 1433, 0, false, true},
        // Another driver that is not installed stays (its failure names it), with a note.
        {u"Driver={Oracle};Server=srv", u"FreeTDS", u"Driver={Oracle};Server=srv", 1433, 0, false, true},
        {u"DSN=Kasse;Encrypt=yes;Connect Timeout=4", u"FreeTDS", u"Kasse;Encryption=require;ClientCharset=UTF-8", 0, 4,
         true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString());
        const ConnectionTarget t = translateConnectionString(QString::fromUtf16(c.given), setupFor(c.odbcDriver));
        EXPECT_EQ(t.databaseName, QString::fromUtf16(c.databaseName));
        EXPECT_EQ(t.port, c.port);
        EXPECT_EQ(t.loginTimeoutSeconds, c.timeout);
        EXPECT_EQ(t.encrypted, c.encrypted);
        EXPECT_EQ(!t.notes.isEmpty(), c.noted);
        if (c.noted) {
            EXPECT_TRUE(t.notes.first().contains(u"verwendet wird „FreeTDS“"_qs)
                        || t.notes.first().contains(u"erhält die Verbindungsangaben unverändert"_qs));
        }
    }
}

// The login goes into the string as the driver reads it back: ODBC doubles "}" inside
// braces, FreeTDS takes it as it stands; the string ends with ";" whatever Qt appends.
TEST(ConnectionKeys, TheLoginIsWrittenIntoTheStringAsTheDriverReadsIt)
{
    const struct {
        const char16_t *given, *odbcDriver, *user, *password, *connect;
    } cases[] = {
        {u"Server=srv,1;User ID=sa;Password=geheim", u"FreeTDS", nullptr, nullptr,
         u"Driver={FreeTDS};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4;UID=sa;PWD=geheim;"},
        {u"Server=srv,1;User ID=sa;Password='Ge;he}im'", u"FreeTDS", nullptr, nullptr,
         u"Driver={FreeTDS};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4;UID=sa;PWD={Ge;he}im};"},
        {u"Server=srv,1;User ID=sa;Password='Ge;he}im'", u"SQL Server", nullptr, nullptr,
         u"Driver={SQL Server};Server=srv,1;UID=sa;PWD={Ge;he}}im};"},
        {u"Server=srv,1;User ID=' a=b ';Password=' x '", u"SQL Server", nullptr, nullptr,
         u"Driver={SQL Server};Server=srv,1;UID={ a=b };PWD={ x };"},
        {u"Server=srv,1;Integrated Security=SSPI", u"SQL Server", nullptr, nullptr,
         u"Driver={SQL Server};Server=srv,1;Trusted_Connection=yes;"},
        // The environment's login in place of Windows authentication.
        {u"Server=srv,1;Integrated Security=SSPI", u"FreeTDS", u"DOM\\kasse", u"{ä}",
         u"Driver={FreeTDS};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4;UID=DOM\\kasse;PWD={{ä}};"},
        // A DSN by its name: Qt writes "DSN=" itself, unless the string then names a server,
        // here inside the password.
        {u"DSN=Kasse;UID=kasse;PWD=geheim", u"FreeTDS", nullptr, nullptr,
         u"DSN=Kasse;ClientCharset=UTF-8;UID=kasse;PWD=geheim;"},
        {u"DSN=Kasse;UID=kasse;PWD={server=1}", u"FreeTDS", nullptr, nullptr,
         u"DSN=Kasse;ClientCharset=UTF-8;UID=kasse;PWD={server=1};"},
        {u"FileDSN=/etc/kasse.dsn;UID=kasse", u"FreeTDS", nullptr, nullptr, u"FILEDSN=/etc/kasse.dsn;UID=kasse;"},
        {u"FileDSN=/etc/kasse.dsn;Server=srv,1", u"FreeTDS", nullptr, nullptr,
         u"FILEDSN=/etc/kasse.dsn;Server=srv,1;"},
        // ".dsn" in a login or a database is no file DSN: only the rest of the string is
        // looked at, and a password naming a server is no server.
        {u"Server=srv,1;User ID=Wald.DSN;Password=Wald.dsn2026;Database=Forst.dsn", u"FreeTDS", nullptr, nullptr,
         u"Driver={FreeTDS};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4;UID=Wald.DSN;PWD=Wald.dsn2026;"
         u"Database=Forst.dsn;"},
        {u"DSN=Kasse;PWD={x.dsn;Server=y}", u"FreeTDS", nullptr, nullptr,
         u"DSN=Kasse;ClientCharset=UTF-8;PWD={x.dsn;Server=y};"},
        {u"Driver={SQL Server};Server=srv,1;Database=a.dsn;Trusted_Connection=yes", u"SQL Server", u"sa",
         u"Wald.dsn", u"Driver={SQL Server};Server=srv,1;UID=sa;PWD=Wald.dsn;Database=a.dsn;"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString() + " / " + QString::fromUtf16(c.odbcDriver).toStdString());
        ConnectionSetup setup = setupFor(c.odbcDriver);
        if (c.user) {
            setup.sqlUser = QString::fromUtf16(c.user);
            setup.sqlPassword = QString::fromUtf16(c.password);
        }
        QString error;
        EXPECT_EQ(odbcConnectString(translateConnectionString(QString::fromUtf16(c.given), setup), &error),
                  QString::fromUtf16(c.connect));
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
}

// Where the driver manager pools FreeTDS's connections, the run lock's session must not go
// back into the pool: the driver is named by its library, which the manager never pools.
TEST(ConnectionKeys, NoConnectionIsPooled)
{
    ConnectionSetup setup = setupFor(u"FreeTDS");
    setup.unpooledDriver = [](const QString &driver) {
        return driver == u"FreeTDS"_qs ? u"/usr/lib/odbc/libtdsodbc.so"_qs : QString();
    };
    const struct {
        const char16_t *given, *databaseName;
    } cases[] = {
        {u"Data Source=srv;Initial Catalog=FBG",
         u"Driver={/usr/lib/odbc/libtdsodbc.so};Server=srv,1433;Database=FBG;ClientCharset=UTF-8;TDS_Version=7.4"},
        {u"Driver={FreeTDS};Server=srv,1",
         u"Driver={/usr/lib/odbc/libtdsodbc.so};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4"},
        {u"Driver={ODBC Driver 18 for SQL Server};Server=srv,1",
         u"Driver={/usr/lib/odbc/libtdsodbc.so};Server=srv,1;ClientCharset=UTF-8;TDS_Version=7.4"},
        {u"Driver={SQLite3};Database=x.sqlite", u"Driver={SQLite3};Database=x.sqlite"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString());
        const ConnectionTarget t = translateConnectionString(QString::fromUtf16(c.given), setup);
        EXPECT_EQ(t.databaseName, QString::fromUtf16(c.databaseName));
        EXPECT_TRUE(t.freeTds || t.databaseName.contains(u"SQLite3"_qs));
    }
}

TEST(ConnectionKeys, AValueTheDriverCannotReadBackIsRefusedWithoutShowingIt)
{
    const struct {
        const char16_t *given, *odbcDriver, *told;
    } cases[] = {
        {u"Server=srv;User ID=sa;Password='ge};heim'", u"FreeTDS", u"Das Kennwort enthält die Zeichen „};“"},
        {u"Server=srv;User ID='a};b';Password=x", u"FreeTDS", u"Der Benutzername enthält die Zeichen „};“"},
        {u"Server=srv.dsn.example;User ID=sa", u"SQL Server", u"enthalten „.dsn“ (etwa im Namen des Servers)"},
        {u"Server=srv;Database=Forst.dsn;Integrated Security=SSPI", u"SQL Server",
         u"Der Name der Datenbank „Forst.dsn“ enthält „.dsn“"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString());
        QString error;
        EXPECT_TRUE(odbcConnectString(translateConnectionString(QString::fromUtf16(c.given), setupFor(c.odbcDriver)),
                                      &error)
                        .isEmpty());
        EXPECT_TRUE(error.contains(QString::fromUtf16(c.told))) << error.toStdString();
        EXPECT_FALSE(error.contains(u"heim"_qs));
    }
    // The same password reaches the Windows driver in ODBC's braces.
    QString error;
    EXPECT_EQ(odbcConnectString(translateConnectionString(u"Server=srv;User ID=sa;Password='ge};heim'"_qs,
                                                          setupFor(u"SQL Server")),
                                &error),
              u"Driver={SQL Server};Server=srv;UID=sa;PWD={ge}};heim};"_qs);
}

// The drivers' texts as FreeTDS and the Windows drivers give them.
TEST(ConnectionKeys, EachFailureIsToldByItsCause)
{
    ConnectionTarget sqlLogin;
    sqlLogin.freeTds = true;
    sqlLogin.userName = u"sa"_qs;
    ConnectionTarget windows = sqlLogin;
    windows.windowsLogin = true;
    windows.userName.clear();
    ConnectionTarget encrypted = sqlLogin;
    encrypted.encrypted = true;
    const struct {
        const char *what;
        const ConnectionTarget &target;
        const char16_t *text, *codes;
        ConnectionFault fault;
    } cases[] = {
        {"4060 before 18456", sqlLogin,
         u"[FreeTDS][SQL Server]Login failed for user 'sa'. [FreeTDS][SQL Server]Cannot open database \"X\" requested "
         u"by the login. The login failed.",
         u"18456;4060;0", ConnectionFault::DatabaseNotFound},
        {"18456", sqlLogin, u"[FreeTDS][SQL Server]Login failed for user 'sa'.", u"18456;0",
         ConnectionFault::LoginRefused},
        {"18456 by text", windows, u"[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'DOM\\x'.",
         u"", ConnectionFault::LoginRefused},
        {"time-out", sqlLogin, u"[FreeTDS][SQL Server]Timeout expired", u"0;0", ConnectionFault::NoAnswer},
        {"refused port", sqlLogin, u"Unable to connect: Adaptive Server is unavailable or does not exist", u"20009;0",
         ConnectionFault::Unreachable},
        {"unknown host", sqlLogin, u"Unknown host machine name.", u"0;20013", ConnectionFault::Unreachable},
        {"Windows driver", sqlLogin,
         u"[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied.", u"17",
         ConnectionFault::Unreachable},
        {"Native Client, no server", sqlLogin,
         u"[Microsoft][SQL Server Native Client 11.0]Named Pipes Provider: Could not open a connection to SQL Server "
         u"[53].",
         u"53", ConnectionFault::Unreachable},
        {"ODBC Driver 18, no server", sqlLogin,
         u"[Microsoft][ODBC Driver 18 for SQL Server]A network-related or instance-specific error has occurred while "
         u"establishing a connection to SQL Server.",
         u"-1", ConnectionFault::Unreachable},
        {"ODBC Driver 18, login time-out", sqlLogin, u"[Microsoft][ODBC Driver 18 for SQL Server]Login timeout expired",
         u"0", ConnectionFault::NoAnswer},
        {"SSPI", windows, u"[Microsoft][ODBC Driver 17 for SQL Server]Cannot generate SSPI context", u"0",
         ConnectionFault::WindowsLoginFailed},
        {"untrusted domain", windows,
         u"[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed. The login is from an untrusted domain and "
         u"cannot be used with Windows authentication.",
         u"18452", ConnectionFault::WindowsLoginFailed},
        {"certificate", encrypted,
         u"[Microsoft][ODBC Driver 18 for SQL Server]SSL Provider: The certificate chain was issued by an authority "
         u"that is not trusted.",
         u"-2146893019", ConnectionFault::TlsFailed},
        {"no certificate", encrypted, u"[Microsoft][ODBC SQL Server Driver]Encryption not supported on SQL Server.",
         u"0", ConnectionFault::NoEncryption},
        {"no Kerberos", windows, u"Adaptive Server connection failed", u"0;20002", ConnectionFault::WindowsLoginFailed},
        {"no encryption", encrypted, u"Adaptive Server connection failed", u"0;20002", ConnectionFault::NoEncryption},
        {"20002 otherwise", sqlLogin, u"Adaptive Server connection failed", u"0;20002", ConnectionFault::Other},
        {"a code inside a number", sqlLogin, u"Error", u"140600", ConnectionFault::Other},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(classifyConnectionFault(c.target, QString::fromUtf16(c.text), QString::fromUtf16(c.codes)), c.fault);
    }
}

// This machine and named instances as FreeTDS needs them: "(local)" and "." are 127.0.0.1,
// an instance's port comes from the Browser (asked with the string's time-out), a port
// after the instance wins. The Windows drivers get the server as written.
TEST(ConnectionKeys, ThisMachineAndInstancesAreWrittenForFreeTds)
{
    QStringList asked;
    ConnectionSetup setup = setupFor(u"FreeTDS");
    setup.loginTimeoutSeconds = 30;
    setup.instancePort = [&asked](const QString &machine, const QString &instance, int timeout) {
        asked << machine + u'\\' + instance + u'/' + QString::number(timeout);
        return instance == u"SQLEXPRESS"_qs ? InstancePort{49170, {}} : InstancePort{0, u"nicht gefunden"_qs};
    };
    const struct {
        const char16_t *given, *server;
        int port;
        const char16_t *asked;
    } cases[] = {
        {u"Data Source=(local)", u"127.0.0.1,1433", 1433, nullptr},
        {u"Data Source=.;Initial Catalog=FBG", u"127.0.0.1,1433", 1433, nullptr},
        {u"Data Source=(LOCAL),1500", u"127.0.0.1,1500", 1500, nullptr},
        {u"Data Source=localhost", u"localhost,1433", 1433, nullptr},
        {u"Data Source=.\\SQLEXPRESS;Connect Timeout=2", u"127.0.0.1,49170", 49170, u"127.0.0.1\\SQLEXPRESS/2"},
        {u"Data Source=(local)\\SQLEXPRESS", u"127.0.0.1,49170", 49170, u"127.0.0.1\\SQLEXPRESS/30"},
        {u"Server=tcp:srv\\SQLEXPRESS", u"srv,49170", 49170, u"srv\\SQLEXPRESS/30"},
        {u"Server=srv\\SQLEXPRESS,1433", u"srv,1433", 1433, nullptr},
        {u"Driver={FreeTDS};Server=.\\SQLEXPRESS;UID=a", u"127.0.0.1,49170", 49170, u"127.0.0.1\\SQLEXPRESS/30"},
        {u"Driver={FreeTDS};Server=srv\\X;Port=1600;UID=a", u"srv\\X", 1600, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.given).toStdString());
        asked.clear();
        const ConnectionTarget t = translateConnectionString(QString::fromUtf16(c.given) + u";UID=a"_qs, setup);
        EXPECT_TRUE(t.databaseName.contains(u"Server="_qs + QString::fromUtf16(c.server) + u';'))
            << t.databaseName.toStdString();
        EXPECT_EQ(t.port, c.port);
        EXPECT_EQ(asked, c.asked ? QStringList{QString::fromUtf16(c.asked)} : QStringList());
        EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    }
    // An instance the Browser does not name stops before the driver is called.
    EXPECT_EQ(translateConnectionString(u"Server=srv\\FEHLT;UID=a"_qs, setup).error, u"nicht gefunden"_qs);
    // The Windows drivers read every form themselves.
    EXPECT_EQ(translateConnectionString(u"Data Source=(local)\\SQLEXPRESS;UID=a"_qs, setupFor(u"SQL Server")).databaseName,
              u"Driver={SQL Server};Server=(local)\\SQLEXPRESS"_qs);
}

// FreeTDS is known by the library the driver manager loads for a name, whatever the name.
TEST(ConnectionKeys, FreeTdsIsKnownByItsLibrary)
{
    ConnectionSetup setup = setupFor(u"TDS");
    setup.driverInstalled = [](const QString &) { return true; };
    setup.driverLibrary = [](const QString &driver) {
        return driver == u"TDS"_qs || driver == u"SQL Server"_qs ? u"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"_qs
                                                                 : QString();
    };
    EXPECT_EQ(translateConnectionString(u"Server=srv;Encrypt=yes;UID=a"_qs, setup).databaseName,
              u"Driver={TDS};Server=srv,1433;Encryption=require;ClientCharset=UTF-8;TDS_Version=7.4"_qs);
    const ConnectionTarget named = translateConnectionString(u"Driver={SQL Server};Server=srv;UID=a;PWD={a}}b}"_qs, setup);
    EXPECT_TRUE(named.freeTds);
    QString error;
    EXPECT_EQ(odbcConnectString(named, &error),
              u"Driver={SQL Server};Server=srv,1433;ClientCharset=UTF-8;TDS_Version=7.4;UID=a;PWD={a}b};"_qs);
    // Another driver is no FreeTDS, whatever its name: it gets the string as written, with a note.
    const ConnectionTarget other = translateConnectionString(u"Driver={Oracle};Server=srv;UID=a"_qs, setup);
    EXPECT_FALSE(other.freeTds);
    EXPECT_EQ(other.databaseName, u"Driver={Oracle};Server=srv"_qs);
    ASSERT_EQ(other.notes.size(), 1);
    EXPECT_TRUE(other.notes.first().contains(u"„Oracle“ ist weder FreeTDS noch ein Treiber von Microsoft"_qs));
    EXPECT_TRUE(translateConnectionString(u"Driver={TDS};Server=srv;UID=a"_qs, setup).notes.isEmpty());
}
