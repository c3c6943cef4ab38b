// What reaches a SQL Server's door: the batch program started on every form of connection
// string an office uses, against the TDS endpoint of the tests, which decodes the login
// (user, password, database, encryption request) and refuses it as SQL Server would. The
// program's message must tell the clerk what to do, and never show the password.

#include "db/OdbcDataSources.h"
#include "support/BatchProcess.h"
#include "support/TdsEndpoint.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonValue>
#include <QMessageAuthenticationCode>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// ";" ends a value, "}" ends a braced one, "'" and '"' quote one; umlauts must survive the
// way through UTF-8, UTF-16 and the driver's charset.
const QString kPassword = u"Gä;he}im'\"ß{ö"_qs;
const QString kUser = u"kassenwart"_qs;

// The password in ADO's quotes ('…', "'" doubled) and in ODBC's braces ("}" doubled).
QString adoQuoted(const QString &value)
{
    return u'\'' + QString(value).replace(u"'"_qs, u"''"_qs) + u'\'';
}
QString odbcBraced(const QString &value)
{
    return u'{' + QString(value).replace(u"}"_qs, u"}}"_qs) + u'}';
}

class SqlServerLogin : public ::testing::Test {
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
        const QString library = registeredDriverLibrary(u"FreeTDS"_qs);
        if (library.isEmpty())
            GTEST_SKIP() << "the FreeTDS driver is not registered";
        // Only FreeTDS is installed here: strings naming a Windows driver get it too.
        write(u"odbcinst.ini"_qs, u"[FreeTDS]\nDriver="_qs + library + u'\n');
        write(u"odbc.ini"_qs, u"[Kasse]\nDriver=FreeTDS\nServer=127.0.0.1\nPort="_qs
                                  + QString::number(s_endpoint->port()) + u"\nDatabase=FBG\nTDS_Version=7.4\n"_qs);
        write(u"quarvel.Ini"_qs, u"[Datenbank]\r\nSQLServer=127.0.0.1,"_qs + QString::number(s_endpoint->port())
                                     + u"\r\nDatabaseName=FBG\r\n"_qs);
        QDir(m_dir.path()).mkdir(u"program"_qs);
        s_endpoint->clear();
    }

    void write(const QString &name, const QString &text)
    {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    // The batch program's dump on a command line, with the driver manager's files of this
    // test and no Kerberos ticket; the texts under LANG=C, as a service would run it.
    BatchResult dump(const QString &commandLine, const QStringList &environment = {})
    {
        BatchRun how;
        how.environment = QStringList{u"ODBCSYSINI="_qs + m_dir.path(), u"ODBCINI="_qs + m_dir.filePath(u"odbc.ini"_qs),
                                      u"KRB5CCNAME=FILE:"_qs + m_dir.filePath(u"no-ticket"_qs), u"LC_ALL=C"_qs,
                                      u"LANG=C"_qs, u"QVL32_SQL_USER="_qs, u"QVL32_SQL_PASSWORD="_qs}
                          + environment;
        return runBatch({u"--program-dir"_qs, m_dir.filePath(u"program"_qs), u"--odbc-driver"_qs, u"FreeTDS"_qs,
                         u"--command-line"_qs, commandLine, u"dump"_qs},
                        how);
    }

    QString server() const { return u"127.0.0.1,"_qs + QString::number(s_endpoint->port()); }
    QString ini() const { return m_dir.filePath(u"quarvel.Ini"_qs); }

    static void expectNoPassword(const BatchResult &r)
    {
        for (const QString &part : {u"he}im"_qs, u"im'"_qs, u"ß{ö"_qs, u"heim123"_qs}) {
            EXPECT_FALSE(r.out.contains(part)) << r.out.toStdString();
            EXPECT_FALSE(r.err.contains(part)) << r.err.toStdString();
        }
    }

    static TdsEndpoint *s_endpoint;
    QTemporaryDir m_dir;
};

TdsEndpoint *SqlServerLogin::s_endpoint = nullptr;

QString text(const QJsonObject &record, const char *key)
{
    return record.value(QLatin1String(key)).toString();
}

// Whether a domain login's NTLMv2 response was computed from this password: the password
// never travels, the response proves it (HMAC-MD5 over the server's challenge, keyed by
// the password's MD4 hash with user and domain).
bool ntlmv2ProvesPassword(const QJsonObject &login, const QString &password)
{
    const auto utf16 = [](const QString &s) { return QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(s)); };
    const QByteArray response = QByteArray::fromHex(text(login, "ntlm_response").toLatin1());
    const QByteArray challenge = QByteArray::fromHex(text(login, "ntlm_challenge").toLatin1());
    if (response.size() <= 16)
        return false;
    const QByteArray ntHash = QCryptographicHash::hash(utf16(password), QCryptographicHash::Md4);
    const QByteArray key = QMessageAuthenticationCode::hash(
        utf16(text(login, "ntlm_user").toUpper() + text(login, "ntlm_domain")), ntHash, QCryptographicHash::Md5);
    return QMessageAuthenticationCode::hash(challenge + response.mid(16), key, QCryptographicHash::Md5)
           == response.left(16);
}

} // namespace

// Every SQL-login form: the login reaches the server exactly as typed, and the refusal
// names the user and the way to give a login on Linux.
TEST_F(SqlServerLogin, EveryFormDeliversTheTypedLogin)
{
    const struct {
        const char *form;
        QString commandLine;
        QStringList environment;
        QString user, password, database;
    } cases[] = {
        {"OLE DB", u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID="_qs + kUser + u";Password="_qs
                       + adoQuoted(kPassword) + u";Initial Catalog=FBG;Data Source="_qs + server(),
         {}, kUser, kPassword, u"FBG"_qs},
        {"ADO.NET", u"Server=tcp:"_qs + server() + u";Database=Forst Süd;User Id="_qs + kUser + u";Password=\""_qs
                        + QString(kPassword).replace(u"\""_qs, u"\"\""_qs) + u"\";Connect Timeout=5"_qs,
         {}, kUser, kPassword, u"Forst Süd"_qs},
        {"ODBC", u"Driver={FreeTDS};Server="_qs + server() + u";Database=FBG;UID="_qs + kUser + u";PWD="_qs
                     + odbcBraced(kPassword),
         {}, kUser, kPassword, u"FBG"_qs},
        {"Windows driver", u"Driver={ODBC Driver 17 for SQL Server};Server="_qs + server()
                               + u";Database=FBG;UID="_qs + kUser + u";PWD="_qs + odbcBraced(kPassword),
         {}, kUser, kPassword, u"FBG"_qs},
        {"DSN", u"DSN=Kasse;UID="_qs + kUser + u";PWD="_qs + odbcBraced(kPassword), {}, kUser, kPassword, u"FBG"_qs},
        // Written for ADO's ODBC provider: ADO's quotes.
        {"DSN, ADO's quotes", u"DSN=Kasse;UID="_qs + kUser + u";PWD='ge;heim123'"_qs, {}, kUser, u"ge;heim123"_qs,
         u"FBG"_qs},
        {"MSDASQL", u"Provider=MSDASQL.1;Data Source=Kasse;User ID="_qs + kUser + u";Password="_qs
                        + adoQuoted(kPassword),
         {}, kUser, kPassword, u"FBG"_qs},
        // The suite's INI file (Windows authentication) with the environment's login.
        {"INI + environment", u'|' + ini(), {u"QVL32_SQL_USER="_qs + kUser, u"QVL32_SQL_PASSWORD="_qs + kPassword},
         kUser, kPassword, u"FBG"_qs},
        {"DSN + environment", u"DSN=Kasse"_qs, {u"QVL32_SQL_USER="_qs + kUser, u"QVL32_SQL_PASSWORD="_qs + kPassword},
         kUser, kPassword, u"FBG"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.form);
        const BatchResult r = dump(c.commandLine, c.environment);
        const QJsonObject login = s_endpoint->nextLogin();
        EXPECT_EQ(text(login, "user"), c.user);
        EXPECT_EQ(text(login, "password"), c.password) << "arrived as " << text(login, "password").toStdString();
        EXPECT_EQ(text(login, "database"), c.database);
        EXPECT_FALSE(login.value(u"windows"_qs).toBool());
        EXPECT_EQ(login.value(u"encryption"_qs).toInt(-1), 0); // not asked for: login-only encryption
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(u"Der SQL Server hat die Anmeldung von „"_qs + c.user + u"“ abgelehnt"_qs))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"QVL32_SQL_USER und QVL32_SQL_PASSWORD"_qs));
        EXPECT_TRUE(r.err.contains(u"\nDetails: "_qs));
        // The Windows driver's replacement is told on the error output.
        EXPECT_EQ(r.err.contains(u"„ODBC Driver 17 for SQL Server“ ist auf diesem Rechner nicht installiert; verwendet "
                                 u"wird „FreeTDS“"_qs),
                  c.commandLine.contains(u"ODBC Driver 17"_qs))
            << r.err.toStdString();
        expectNoPassword(r);
    }
}

// DOMAIN\user from the environment logs in through NTLM: the server sees user and domain,
// and a response only the typed password gives.
TEST_F(SqlServerLogin, ADomainLoginFromTheEnvironmentProvesTheTypedPassword)
{
    for (const QString &commandLine : {u'|' + ini(), u"DSN=Kasse"_qs}) {
        SCOPED_TRACE(commandLine.toStdString());
        const BatchResult r =
            dump(commandLine, {u"QVL32_SQL_USER=FORST\\"_qs + kUser, u"QVL32_SQL_PASSWORD="_qs + kPassword});
        const QJsonObject login = s_endpoint->nextLogin();
        EXPECT_EQ(text(login, "ntlm_user"), kUser);
        EXPECT_EQ(text(login, "ntlm_domain"), u"FORST"_qs);
        EXPECT_TRUE(ntlmv2ProvesPassword(login, kPassword));
        EXPECT_FALSE(ntlmv2ProvesPassword(login, kPassword + QChar(0)));
        EXPECT_FALSE(ntlmv2ProvesPassword(login, kPassword.left(3)));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(u"Der SQL Server hat die Anmeldung von „FORST\\"_qs + kUser + u"“ abgelehnt"_qs))
            << r.err.toStdString();
        expectNoPassword(r);
    }
}

// Encryption as the string asks for it. The endpoint offers none, as a server without a
// certificate: a client that asked for it must give up before the login leaves it.
TEST_F(SqlServerLogin, EncryptionIsAskedForWhenTheStringAsksForIt)
{
    const struct {
        const char *form;
        QString commandLine;
        int request; // PRELOGIN: 0 off (login only), 1 on
    } cases[] = {
        {"OLE DB", u"Provider=SQLOLEDB.1;Data Source="_qs + server() + u";User ID=sa;Password=x;Use Encryption for Data=True"_qs, 1},
        {"ADO.NET", u"Server="_qs + server() + u";User Id=sa;Password=x;Encrypt=True;TrustServerCertificate=True"_qs, 1},
        {"ADO.NET strict", u"Server="_qs + server() + u";User Id=sa;Password=x;Encrypt=Strict"_qs, 1},
        {"ODBC", u"Driver={FreeTDS};Server="_qs + server() + u";UID=sa;PWD=x;Encrypt=yes"_qs, 1},
        {"ODBC, FreeTDS's key", u"Driver={FreeTDS};Server="_qs + server() + u";UID=sa;PWD=x;Encryption=require"_qs, 1},
        {"optional", u"Server="_qs + server() + u";User Id=sa;Password=x;Encrypt=Optional"_qs, 0},
        {"none", u"Server="_qs + server() + u";User Id=sa;Password=x"_qs, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.form);
        const BatchResult r = dump(c.commandLine);
        const QJsonObject login = s_endpoint->nextLogin();
        EXPECT_EQ(login.value(u"encryption"_qs).toInt(-1), c.request);
        EXPECT_EQ(r.exitCode, 1);
        if (c.request == 1) {
            EXPECT_TRUE(login.value(u"user"_qs).isNull()) << "the login left unencrypted";
            EXPECT_TRUE(r.err.contains(u"Die Verbindung verlangt Verschlüsselung (Encrypt), der SQL Server „127.0.0.1“ "
                                       u"bietet aber keine an."_qs))
                << r.err.toStdString();
        } else {
            EXPECT_EQ(text(login, "user"), u"sa"_qs);
        }
    }
}

// One message per cause, each naming what to check; the driver's text only under Details.
TEST_F(SqlServerLogin, EachFailureTellsTheClerkWhatToDo)
{
    const QString silent = QString::number(s_endpoint->silentPort());
    const struct {
        const char *cause;
        QString commandLine;
        QStringList environment;
        bool reachesLogin;
        QStringList told;
    } cases[] = {
        {"database not found", u"Provider=SQLOLEDB.1;Data Source="_qs + server() + u";Initial Catalog=Fehlt_FBG;User ID=sa;Password=x"_qs,
         {}, true,
         {u"Die Verbindung zur Datenbank „Fehlt_FBG“ auf dem Server „127.0.0.1“ konnte nicht geöffnet werden.\n"_qs,
          u"Die Datenbank „Fehlt_FBG“ gibt es auf dem SQL Server „127.0.0.1“ nicht, oder der Benutzer „sa“ darf sie nicht öffnen."_qs}},
        {"login refused", u"Server="_qs + server() + u";Database=FBG;User Id=sa;Password=x"_qs, {}, true,
         {u"Der SQL Server hat die Anmeldung von „sa“ abgelehnt"_qs}},
        // The suite's INI form without a login on a machine without Kerberos.
        {"Windows authentication", u'|' + ini(), {}, false,
         {u"Die Windows-Anmeldung (Integrated Security) ist auf diesem Rechner nur mit einem Kerberos-Ticket"_qs,
          u"QVL32_SQL_USER und QVL32_SQL_PASSWORD"_qs}},
        // Nothing listens on port 9 here.
        {"unreachable", u"Server=127.0.0.1,9;Database=FBG;User Id=sa;Password=x"_qs, {}, false,
         {u"Der SQL Server „127.0.0.1“ ist über den Port 9 nicht erreichbar. Läuft der SQL Server, ist der Port 9 in "
          u"seiner Firewall freigegeben"_qs}},
        {"no answer", u"Data Source=127.0.0.1,"_qs + silent + u";Initial Catalog=FBG;User ID=sa;Password=x;Connect Timeout=2"_qs,
         {}, false,
         {u"Der SQL Server „127.0.0.1“ über den Port "_qs + silent + u" hat nicht innerhalb von 2 Sekunden geantwortet."_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cause);
        QElapsedTimer clock;
        clock.start();
        const BatchResult r = dump(c.commandLine, c.environment);
        EXPECT_EQ(r.exitCode, 1);
        for (const QString &told : c.told)
            EXPECT_TRUE(r.err.contains(told)) << r.err.toStdString();
        const qsizetype details = r.err.indexOf(u"\nDetails: "_qs);
        ASSERT_GE(details, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.left(details).contains(u"FreeTDS"_qs)) << "driver text above the details";
        // The string's time-out, not the driver's 30 seconds.
        EXPECT_LT(clock.elapsed(), 20000);
        if (c.reachesLogin) {
            EXPECT_FALSE(s_endpoint->nextLogin().isEmpty());
        }
        s_endpoint->clear();
    }
}
