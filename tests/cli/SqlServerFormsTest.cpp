// The ways offices name their server and write their login, at the TDS endpoint of the
// tests: this machine as "(local)" or ".", a named instance found through a SQL Browser of
// the endpoint's own within the connection's time-out, an instance with a port, FreeTDS
// registered under other names, ".dsn" inside a password, the command line from a file or
// standard input and never left in the process list, and a German cause for each refusal.

#include "db/OdbcDataSources.h"
#include "support/BatchProcess.h"
#include "support/TdsEndpoint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonValue>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A "}" and umlauts: FreeTDS's own quoting and its charset must both be in force.
const QString kPassword = u"Wä}ld.dsn;2026"_qs;

QString text(const QJsonObject &record, const char *key)
{
    return record.value(QLatin1String(key)).toString();
}

class SqlServerForms : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_endpoint = new TdsEndpoint; }
    static void TearDownTestSuite()
    {
        delete s_endpoint;
        s_endpoint = nullptr;
    }

    void SetUp() override
    {
        if (!s_endpoint->isRunning())
            GTEST_SKIP() << "Debian's python3 is missing";
        m_library = registeredDriverLibrary(u"FreeTDS"_qs);
        if (m_library.isEmpty())
            GTEST_SKIP() << "the FreeTDS driver is not registered";
        // FreeTDS under the names some systems and administrators give it.
        write(u"odbcinst.ini"_qs, u"[TDS]\nDriver="_qs + m_library + u"\n[SQL Server]\nDriver="_qs + m_library
                                      + u"\n[FreeTDS]\nDriver="_qs + m_library + u'\n');
        write(u"odbc.ini"_qs, u"[Kasse]\nDriver=TDS\nServer=127.0.0.1\nPort="_qs + QString::number(s_endpoint->port())
                                  + u"\nDatabase=Forst Nord\nTDS_Version=7.4\n"_qs);
        QDir(m_dir.path()).mkdir(u"program"_qs);
        s_endpoint->clear();
    }

    void write(const QString &name, const QString &content, QFile::Permissions permissions = {})
    {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8());
        file.close();
        if (permissions)
            ASSERT_TRUE(file.setPermissions(permissions));
    }

    QStringList environment(const QStringList &more = {}) const
    {
        return QStringList{u"ODBCSYSINI="_qs + m_dir.path(), u"ODBCINI="_qs + m_dir.filePath(u"odbc.ini"_qs),
                           u"KRB5CCNAME=FILE:"_qs + m_dir.filePath(u"no-ticket"_qs), u"LC_ALL=C"_qs, u"LANG=C"_qs,
                           u"QVL32_SQL_USER="_qs, u"QVL32_SQL_PASSWORD="_qs}
               + more;
    }

    // The batch program's dump with the given driver and the way the command line is handed over.
    BatchResult dump(const QStringList &commandLineArgs, const QString &driver = u"FreeTDS"_qs,
                     const QStringList &more = {})
    {
        return runBatch(QStringList{u"--program-dir"_qs, m_dir.filePath(u"program"_qs), u"--odbc-driver"_qs, driver}
                            + commandLineArgs + QStringList{u"dump"_qs},
                        {.environment = environment(more)});
    }
    BatchResult dump(const QString &commandLine, const QString &driver = u"FreeTDS"_qs, const QStringList &more = {})
    {
        return dump(QStringList{u"--command-line"_qs, commandLine}, driver, more);
    }

    static QString port() { return QString::number(s_endpoint->port()); }

    static TdsEndpoint *s_endpoint;
    QTemporaryDir m_dir;
    QString m_library;
};

TdsEndpoint *SqlServerForms::s_endpoint = nullptr;

} // namespace

// This machine and named instances, as the Windows drivers read them: the login arrives
// at the endpoint, the instance's port from the Browser, "SRV\INST,PORT" without asking it.
TEST_F(SqlServerForms, ThisMachineAndNamedInstancesAreReached)
{
    const QString login = u";User ID=kasse;Password=x;Initial Catalog=FBG"_qs;
    struct Case {
        QString server;
        QStringList asked; // what the Browser is asked for
    };
    QList<Case> cases{{u"(local),"_qs + port(), {}},
                      {u".,"_qs + port(), {}},
                      {u"localhost,"_qs + port(), {}},
                      {u"tcp:127.0.0.1,"_qs + port(), {}}};
    if (s_endpoint->localBrowser())
        cases << Case{u"(local)\\SQLEXPRESS"_qs, {u"SQLEXPRESS"_qs}} << Case{u".\\SQLEXPRESS"_qs, {u"SQLEXPRESS"_qs}}
              << Case{u"(LOCAL)\\sqlexpress"_qs, {u"sqlexpress"_qs}} << Case{u"localhost\\QUARVEL"_qs, {u"QUARVEL"_qs}}
              << Case{u"127.0.0.1\\SQLEXPRESS"_qs, {u"SQLEXPRESS"_qs}};
    if (!s_endpoint->browserHost().isEmpty())
        cases << Case{s_endpoint->browserHost() + u"\\SQLEXPRESS"_qs, {u"SQLEXPRESS"_qs}}
              << Case{u"tcp:"_qs + s_endpoint->browserHost() + u"\\QUARVEL"_qs, {u"QUARVEL"_qs}}
              // The port wins; the instance, unknown to the Browser, is not looked up.
              << Case{s_endpoint->browserHost() + u"\\UNBEKANNT,"_qs + port(), {}};
    else
        ADD_FAILURE() << "no loopback address of its own for the Browser";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.server.toStdString());
        for (const QString &form : {u"Data Source="_qs + c.server + login,
                                    u"Driver={FreeTDS};Server="_qs + c.server + u";UID=kasse;PWD=x;Database=FBG"_qs}) {
            s_endpoint->clear();
            const BatchResult r = dump(form);
            const QJsonObject record = s_endpoint->nextLogin();
            EXPECT_EQ(text(record, "user"), u"kasse"_qs) << r.err.toStdString();
            EXPECT_EQ(text(record, "database"), u"FBG"_qs);
            EXPECT_EQ(s_endpoint->browserAsked(), c.asked);
            EXPECT_TRUE(r.err.contains(u"hat die Anmeldung von „kasse“ abgelehnt"_qs)) << r.err.toStdString();
        }
    }
}

// An instance the Browser does not answer for is told within the string's time-out, with
// what to check; FreeTDS alone would wait far longer.
TEST_F(SqlServerForms, AnInstanceLookupEndsWithinTheConnectTimeout)
{
    if (s_endpoint->browserHost().isEmpty())
        GTEST_SKIP() << "no loopback address of its own for the Browser";
    QElapsedTimer clock;
    clock.start();
    const BatchResult r = dump(u"Server="_qs + s_endpoint->browserHost()
                               + u"\\STILL;Database=FBG;User Id=kasse;Password=x;Connect Timeout=2"_qs);
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"Die Instanz „STILL“ des SQL Servers auf „"_qs + s_endpoint->browserHost()
                               + u"“ wurde nicht gefunden: der SQL-Server-Browser hat nicht innerhalb von 2 Sekunden "
                                 "geantwortet."_qs))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"„SQL Server Browser“"_qs));
    EXPECT_GE(elapsed, 1900);
    EXPECT_LT(elapsed, 6000) << "the Browser's time-out is the string's";
    EXPECT_TRUE(s_endpoint->nextLogin(300).isEmpty()) << "no login without a port";
}

// FreeTDS registered as "TDS" or "SQL Server" is FreeTDS: its quoting ("}" as it stands),
// its charset (umlauts), encryption asked for, and a DSN's driver and database.
TEST_F(SqlServerForms, FreeTdsUnderAnyNameGetsWhatFreeTdsNeeds)
{
    const QString server = u"127.0.0.1,"_qs + port();
    const QString braced = u'{' + QString(kPassword).replace(u"}"_qs, u"}}"_qs) + u'}';
    const struct {
        const char *form;
        QString commandLine, driver;
        bool encrypt;
    } cases[] = {
        {"--odbc-driver TDS", u"Data Source="_qs + server + u";Initial Catalog=FBG;User ID=kasse;Password='"_qs
                                  + kPassword + u"'"_qs,
         u"TDS"_qs, false},
        {"--odbc-driver \"SQL Server\"", u"Server="_qs + server + u";Database=FBG;User Id=kasse;Password='"_qs + kPassword
                                            + u"';Encrypt=yes"_qs,
         u"SQL Server"_qs, true},
        {"Driver={TDS}", u"Driver={TDS};Server="_qs + server + u";Database=FBG;UID=kasse;PWD="_qs + braced,
         u"FreeTDS"_qs, false},
        {"Driver={SQL Server}", u"Driver={SQL Server};Server="_qs + server + u";Database=FBG;UID=kasse;PWD="_qs + braced
                                    + u";Encrypt=yes"_qs,
         u"FreeTDS"_qs, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.form);
        s_endpoint->clear();
        const BatchResult r = dump(c.commandLine, c.driver);
        const QJsonObject login = s_endpoint->nextLogin();
        EXPECT_EQ(login.value(u"encryption"_qs).toInt(-1), c.encrypt ? 1 : 0);
        if (c.encrypt) {
            // The endpoint offers none: the login must not leave unencrypted.
            EXPECT_TRUE(login.value(u"user"_qs).isNull()) << text(login, "password").toStdString();
            EXPECT_TRUE(r.err.contains(u"verlangt Verschlüsselung"_qs)) << r.err.toStdString();
        } else {
            EXPECT_EQ(text(login, "password"), kPassword);
            EXPECT_EQ(text(login, "database"), u"FBG"_qs);
        }
        EXPECT_EQ(r.exitCode, 1);
    }
    // A DSN registered with FreeTDS as "TDS": its database named in the message, read from it.
    s_endpoint->clear();
    const BatchResult r = dump(u"DSN=Kasse;UID=kasse;PWD="_qs + braced);
    EXPECT_EQ(text(s_endpoint->nextLogin(), "password"), kPassword);
    EXPECT_TRUE(r.err.contains(u"Die Verbindung zur Datenbank „Forst Nord“ über die ODBC-Datenquelle „Kasse“"_qs))
        << r.err.toStdString();
}

// ".dsn" in a password, user or database is theirs, not a file DSN; only the server part
// is looked at.
TEST_F(SqlServerForms, DotDsnInsideTheLoginOrDatabaseIsNoFileDsn)
{
    for (const QString &form :
         {u"Server=127.0.0.1,"_qs + port() + u";Database=Wald.DSN;User Id=kasse.dsn;Password=Wald.dsn2026"_qs,
          u"Driver={FreeTDS};Server=127.0.0.1,"_qs + port() + u";Database=Wald.DSN;UID=kasse.dsn;PWD={Wald.dsn2026}"_qs,
          u"DSN=Kasse;Database=Wald.DSN;UID=kasse.dsn;PWD=Wald.dsn2026"_qs}) {
        SCOPED_TRACE(form.toStdString());
        s_endpoint->clear();
        const BatchResult r = dump(form);
        const QJsonObject login = s_endpoint->nextLogin();
        EXPECT_EQ(text(login, "user"), u"kasse.dsn"_qs) << r.err.toStdString();
        EXPECT_EQ(text(login, "password"), u"Wald.dsn2026"_qs);
        EXPECT_EQ(text(login, "database"), u"Wald.DSN"_qs);
        EXPECT_FALSE(r.err.contains(u"Server ohne diese Zeichenfolge"_qs)) << r.err.toStdString();
    }
}

// One German cause per refusal; the driver's text only under "Details".
TEST_F(SqlServerForms, EachRefusalNamesItsCause)
{
    const QString server = u"Server=127.0.0.1,"_qs + port() + u";Database=FBG"_qs;
    const struct {
        const char *cause;
        QString commandLine, driver;
        QStringList environment;
        bool reachesServer;
        QStringList told;
    } cases[] = {
        {"password must be changed", server + u";User Id=abgelaufen;Password=x"_qs, u"FreeTDS"_qs, {}, true,
         {u"Das Kennwort von „abgelaufen“ ist abgelaufen oder muss vor der ersten Anmeldung geändert werden."_qs}},
        {"login disabled", server + u";User Id=gesperrt;Password=x"_qs, u"FreeTDS"_qs, {}, true,
         {u"Die Anmeldung von „gesperrt“ ist auf dem SQL Server gesperrt (deaktiviert)."_qs}},
        {"no permission on a table", server + u";User Id=ohnerecht;Password=x"_qs, u"FreeTDS"_qs, {}, true,
         {u"die Anmeldung „ohnerecht“ darf die Tabelle „personal“ nicht lesen (Recht SELECT)"_qs,
          u"GRANT SELECT ON personal"_qs}},
        {"driver not registered", server + u";User Id=kasse;Password=x"_qs, u"ODBC Driver 42"_qs, {}, false,
         {u"Der ODBC-Treiber „ODBC Driver 42“ ist auf diesem Rechner nicht installiert oder nicht registriert."_qs,
          u"tdsodbc"_qs, u"odbcinst"_qs}},
        {"no login at all", server, u"FreeTDS"_qs, {}, false,
         {u"Die Verbindung nennt keine Anmeldung"_qs, u"QVL32_SQL_USER"_qs, u"Integrated Security=SSPI"_qs}},
        {"password without user", server, u"FreeTDS"_qs, {u"QVL32_SQL_PASSWORD=geheim"_qs}, false,
         {u"QVL32_SQL_PASSWORD ist gesetzt, QVL32_SQL_USER aber nicht"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cause);
        s_endpoint->clear();
        const BatchResult r = dump(c.commandLine, c.driver, c.environment);
        EXPECT_EQ(r.exitCode, 1);
        for (const QString &told : c.told)
            EXPECT_TRUE(r.err.contains(told)) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(u"Benutzername oder Kennwort sind falsch"_qs)) << r.err.toStdString();
        EXPECT_EQ(!s_endpoint->nextLogin(c.reachesServer ? 10000 : 300).isEmpty(), c.reachesServer);
        const qsizetype details = r.err.indexOf(u"Details: "_qs);
        if (c.reachesServer) {
            ASSERT_GE(details, 0) << r.err.toStdString();
            EXPECT_FALSE(r.err.left(details).contains(u"FreeTDS"_qs)) << "driver text above the details";
        }
    }
}

// A TLS handshake the server breaks off is told as such, not as a server without encryption.
TEST_F(SqlServerForms, AFailedTlsHandshakeIsToldAsSuch)
{
    const BatchResult r = dump(u"Server=127.0.0.1,"_qs + QString::number(s_endpoint->tlsPort())
                               + u";Database=FBG;User Id=kasse;Password=x;Encrypt=yes"_qs);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(s_endpoint->nextLogin().value(u"tls_hello"_qs).toBool()) << "the client began the handshake";
    EXPECT_TRUE(r.err.contains(u"Die verschlüsselte Verbindung zum SQL Server „127.0.0.1“ ist gescheitert"_qs))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(u"bietet aber keine an"_qs));
}

// The command line from a file only its owner may read, or from standard input: the
// password reaches the server and never the process list.
TEST_F(SqlServerForms, TheCommandLineComesFromAFileOrStandardInput)
{
    const QString commandLine = u"Server=127.0.0.1,"_qs + port() + u";Database=FBG;User Id=kasse;Password='"_qs
                                + kPassword + u"'"_qs;
    write(u"verbindung.txt"_qs, commandLine + u"\n"_qs, QFile::ReadOwner | QFile::WriteOwner);
    BatchResult r = dump({u"--command-line-file"_qs, m_dir.filePath(u"verbindung.txt"_qs)});
    EXPECT_EQ(text(s_endpoint->nextLogin(), "password"), kPassword) << r.err.toStdString();

    // Readable by the group: refused before anything connects, naming the cure.
    write(u"offen.txt"_qs, commandLine, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    r = dump({u"--command-line-file"_qs, m_dir.filePath(u"offen.txt"_qs)});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(u"(Rechte 0640)"_qs)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"chmod 600"_qs));
    EXPECT_TRUE(s_endpoint->nextLogin(300).isEmpty());

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : environment())
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QVL_BATCH_EXE), {u"--program-dir"_qs, m_dir.filePath(u"program"_qs),
                                                   u"--command-line-file"_qs, u"-"_qs, u"dump"_qs});
    ASSERT_TRUE(process.waitForStarted());
    process.write((commandLine + u'\n').toUtf8());
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(text(s_endpoint->nextLogin(), "password"), kPassword) << process.readAllStandardError().toStdString();
}

// A password given on the command line anyway is gone from the process's arguments once the
// program has started (here while it waits for a server that never answers).
TEST_F(SqlServerForms, APasswordOnTheCommandLineLeavesTheProcessList)
{
    const QString secret = u"Geheim.4711"_qs;
    const auto process = startBatch(
        {u"--program-dir"_qs, m_dir.filePath(u"program"_qs), u"--command-line"_qs,
         u"Server=127.0.0.1,"_qs + QString::number(s_endpoint->silentPort())
             + u";Database=FBG;User Id=kasse;Password="_qs + secret + u";Connect Timeout=4"_qs,
         u"dump"_qs},
        {.environment = environment()});
    ASSERT_TRUE(process->waitForStarted());
    QFile cmdline(u"/proc/"_qs + QString::number(process->processId()) + u"/cmdline"_qs);
    QByteArray seen;
    for (int i = 0; i < 60; ++i) {
        QThread::msleep(50);
        if (!cmdline.open(QIODevice::ReadOnly))
            break;
        seen = cmdline.readAll();
        cmdline.close();
        if (!seen.contains(secret.toUtf8()) && seen.contains("dump"))
            break;
    }
    EXPECT_EQ(process->state(), QProcess::Running) << "it was looked at while it ran";
    EXPECT_TRUE(seen.contains("--command-line")) << seen.toStdString();
    EXPECT_FALSE(seen.contains(secret.toUtf8())) << seen.toStdString();
    const BatchResult r = finishBatch(*process);
    EXPECT_EQ(r.exitCode, 1);
}
