#include "platform/ConnectionString.h"

#include "platform/ConnectionStringPairs.h"
#include "platform/OdbcDataSources.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace qvl {

using namespace connection_string;

namespace {

constexpr int kDefaultPort = 1433;

// An ODBC value that holds a separator, a brace, "=" or blanks at either end goes in braces.
// ODBC doubles a "}" inside; FreeTDS does not: it reads up to the first "}" followed by ";"
// or the end, so it takes a "}" inside as it stands.
QString odbcValue(const QString &value, bool freeTds)
{
    const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}')
                       && !value.contains(u'=') && value == value.trimmed();
    if (plain)
        return value;
    return u'{' + (freeTds ? value : QString(value).replace(u"}"_qs, u"}}"_qs)) + u'}';
}

QString odbcPair(const QString &key, const QString &value, bool freeTds)
{
    // Driver names are written in braces by convention ("{SQL Server}").
    if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) == 0)
        return key + u"={"_qs + value + u'}';
    return key + u'=' + odbcValue(value, freeTds);
}

struct Login {
    QString user;
    QString password;
    bool windows = false;
};

Login loginOf(const Pairs &pairs, const ConnectionSetup &setup)
{
    bool windowsAsked = false;
    for (const ParsedPair &p : pairs.all())
        if (keyIn(p.pair.key, kWindowsKeys) && isTrue(p.pair.value))
            windowsAsked = true;
    const bool fromEnvironment = !setup.sqlUser.isEmpty();
    if (windowsAsked)
        return fromEnvironment ? Login{setup.sqlUser, setup.sqlPassword} : Login{{}, {}, true};
    if (pairs.has(kUserKeys) || pairs.has(kPasswordKeys))
        return {pairs.value(kUserKeys), pairs.value(kPasswordKeys)};
    if (fromEnvironment)
        return {setup.sqlUser, setup.sqlPassword};
    return {};
}

void setLogin(ConnectionTarget &target, const Login &login)
{
    target.userName = login.user;
    target.password = login.password;
    target.windowsLogin = login.windows;
}

// What FreeTDS needs to keep texts intact whatever the locale: the pairs to add.
QStringList freeTdsPairs(bool namesTdsVersion)
{
    QStringList extra{u"ClientCharset=UTF-8"_qs};
    if (!namesTdsVersion)
        extra << u"TDS_Version=7.4"_qs;
    return extra;
}

// The server as the string names it: "tcp:" dropped, the port read. Without a port and an
// instance the default port is named for FreeTDS, which has none of its own for TDS 7.
struct ServerAddress {
    QString value; // what the driver is given
    QString host;  // for messages
    int port = 0;
};

ServerAddress serverAddress(const QString &given, bool freeTds, int portKey)
{
    ServerAddress a;
    QString server = given.trimmed();
    if (server.startsWith(u"tcp:"_qs, Qt::CaseInsensitive))
        server = server.mid(4).trimmed();
    const qsizetype comma = server.indexOf(u',');
    if (comma >= 0) {
        a.host = server.left(comma).trimmed();
        a.port = server.mid(comma + 1).trimmed().toInt();
        a.value = a.host + u',' + server.mid(comma + 1).trimmed();
        return a;
    }
    a.host = server;
    a.value = server;
    if (server.contains(u'\\') || server.isEmpty())
        return a; // an instance: the SQL Browser names its port
    a.port = portKey > 0 ? portKey : kDefaultPort;
    if (freeTds && portKey <= 0)
        a.value = server + u',' + QString::number(kDefaultPort);
    return a;
}

int timeoutOf(const Pairs &pairs)
{
    bool ok = false;
    const int seconds = pairs.value(kTimeoutKeys).trimmed().toInt(&ok);
    return ok && seconds > 0 ? seconds : 0;
}

bool encryptionAsked(const Pairs &pairs)
{
    return keyIn(pairs.value(kEncryptKeys).trimmed(), {u"yes", u"true", u"mandatory", u"strict"});
}

// The keys of the driver in use that ask for what the string asks for.
QStringList encryptionPairs(const Pairs &pairs, bool freeTds)
{
    QStringList out;
    if (encryptionAsked(pairs))
        out << (freeTds ? u"Encryption=require"_qs : u"Encrypt=yes"_qs);
    // FreeTDS checks no certificate unless it is given a CA file.
    if (!freeTds && isTrue(pairs.value(kTrustKeys)))
        out << u"TrustServerCertificate=yes"_qs;
    return out;
}

// The names the Windows drivers for SQL Server are registered under.
bool isWindowsSqlServerDriver(const QString &driver)
{
    static const QRegularExpression names(
        u"^(SQL Server|SQL Native Client|SQL Server Native Client [0-9.]+|ODBC Driver [0-9]+ for SQL Server)$"_qs,
        QRegularExpression::CaseInsensitiveOption);
    return names.match(driver.trimmed()).hasMatch();
}

// The driver's name, or its library where the driver manager would pool its connections.
QString unpooled(const QString &driver, const ConnectionSetup &setup)
{
    const QString library = setup.unpooledDriver ? setup.unpooledDriver(driver) : QString();
    return library.isEmpty() ? driver : library;
}

ConnectionTarget sqliteTarget(const QString &file, const QString &baseDir)
{
    ConnectionTarget target;
    const QString path = nativePath(file);
    const QString absolute = QFileInfo(path).isAbsolute() || path.isEmpty() ? path : QDir(baseDir).filePath(path);
    target.qtDriver = QStringLiteral("QSQLITE");
    target.databaseName = QDir::cleanPath(absolute);
    target.dialect = SqlDialect::Sqlite;
    target.server = QFileInfo(target.databaseName).absolutePath();
    target.database = QFileInfo(target.databaseName).fileName();
    return target;
}

// The suite's OLE DB form, written for the ODBC driver of SQL Server.
ConnectionTarget oleDbTarget(const Pairs &pairs, const ConnectionSetup &setup)
{
    ConnectionTarget target;
    target.qtDriver = QStringLiteral("QODBC");
    target.dialect = SqlDialect::SqlServer;
    target.freeTds = isFreeTds(setup.odbcDriver);
    const ServerAddress server = serverAddress(pairs.value(kServerKeys), target.freeTds, 0);
    target.server = server.host;
    target.port = server.port;
    target.database = pairs.value(kCatalogKeys);
    target.loginTimeoutSeconds = timeoutOf(pairs);
    target.encrypted = encryptionAsked(pairs);
    const Login login = loginOf(pairs, setup);

    QStringList odbc;
    odbc << odbcPair(u"Driver"_qs, unpooled(setup.odbcDriver, setup), target.freeTds);
    odbc << odbcPair(u"Server"_qs, server.value, target.freeTds);
    if (!target.database.isEmpty())
        odbc << odbcPair(u"Database"_qs, target.database, target.freeTds);
    if (login.windows)
        odbc << u"Trusted_Connection=yes"_qs;
    odbc << encryptionPairs(pairs, target.freeTds);
    if (target.freeTds)
        odbc << freeTdsPairs(false);
    target.databaseName = odbc.join(u';');
    setLogin(target, login);
    return target;
}

// The driver an ODBC string names, or the installed one for SQL Server where it names a
// Windows driver that is not installed here.
QString driverToUse(const QString &named, const ConnectionSetup &setup, ConnectionTarget &target)
{
    if (named.isEmpty() || !setup.driverInstalled || setup.driverInstalled(named) || !isWindowsSqlServerDriver(named)
        || setup.odbcDriver.isEmpty() || !setup.driverInstalled(setup.odbcDriver))
        return named;
    target.notes << u"Der ODBC-Treiber „"_qs + named + u"“ ist auf diesem Rechner nicht installiert; verwendet wird „"_qs
                        + setup.odbcDriver + u"“."_qs;
    return setup.odbcDriver;
}

// An ODBC string: its own keys kept, the login taken out, FreeTDS's charset set.
ConnectionTarget odbcTarget(const Pairs &pairs, const ConnectionSetup &setup)
{
    ConnectionTarget target;
    target.qtDriver = QStringLiteral("QODBC");
    const QString driver = driverToUse(pairs.value({u"Driver"}), setup, target);
    const QString dsn = pairs.value({u"DSN"});
    const QString fileDsn = pairs.value({u"FileDSN"});
    // Qt's ODBC driver takes the string as it stands only when it names "DRIVER=" or
    // "SERVER="; anything else it reads as a DSN and writes "DSN=" in front itself.
    const bool byName = driver.isEmpty() && (!dsn.isEmpty() || !fileDsn.isEmpty());
    const QString driverInUse = !driver.isEmpty() ? driver
                                : byName && setup.dataSourceDriver && fileDsn.isEmpty()
                                    ? setup.dataSourceDriver(dsn)
                                    : QString();
    const bool freeTds = isFreeTds(driverInUse);
    target.freeTds = freeTds;
    const Login login = loginOf(pairs, setup);
    const int portKey = pairs.value({u"Port"}).trimmed().toInt();
    const ServerAddress server = serverAddress(pairs.value(kServerKeys), freeTds, portKey);

    QStringList odbc;
    bool namesTdsVersion = false;
    QSet<QString> written; // ODBC takes the first of a repeated key; drivers differ
    for (const ParsedPair &p : pairs.all()) {
        const QString &key = p.pair.key;
        if (written.contains(key.toLower()))
            continue;
        written.insert(key.toLower());
        if (keyIn(key, kUserKeys) || keyIn(key, kPasswordKeys) || keyIn(key, kWindowsKeys) || keyIn(key, kTimeoutKeys)
            || (freeTds && (keyIn(key, kCharsetKeys) || keyIn(key, kEncryptKeys) || keyIn(key, kTrustKeys))))
            continue;
        if (byName && keyIn(key, {u"DSN", u"FileDSN"}))
            continue;
        // ADO's own keys in a DSN string written for ADO's ODBC provider.
        if (keyIn(key, {u"Provider", u"Persist Security Info"}))
            continue;
        namesTdsVersion = namesTdsVersion || keyIn(key, {u"TDS_Version"});
        if (keyIn(key, {u"Driver"}))
            odbc << odbcPair(key, unpooled(driver, setup), freeTds);
        else if (keyIn(key, kServerKeys) && !server.value.isEmpty())
            odbc << odbcPair(key, server.value, freeTds);
        else
            odbc << odbcPair(key, p.pair.value, freeTds);
    }
    if (login.windows)
        odbc << u"Trusted_Connection=yes"_qs;
    if (freeTds) {
        if (!pairs.has({u"Encryption"}))
            odbc << encryptionPairs(pairs, true);
        odbc << (byName ? QStringList{u"ClientCharset=UTF-8"_qs} : freeTdsPairs(namesTdsVersion));
    }

    if (byName) {
        target.dsnKey = fileDsn.isEmpty() ? u"DSN"_qs : u"FileDSN"_qs;
        odbc.prepend(odbcValue(fileDsn.isEmpty() ? dsn : fileDsn, freeTds));
        target.databaseName = odbc.join(u';');
        if (target.databaseName.contains(u"DRIVER="_qs, Qt::CaseInsensitive)
            || target.databaseName.contains(u"SERVER="_qs, Qt::CaseInsensitive))
            target.databaseName.prepend(target.dsnKey + u'=');
    } else {
        target.databaseName = odbc.join(u';');
    }
    setLogin(target, login);
    target.dialect = driverInUse.contains(u"SQLite"_qs, Qt::CaseInsensitive) ? SqlDialect::Sqlite
                                                                            : SqlDialect::SqlServer;
    target.server = server.host;
    target.port = server.port;
    target.database = pairs.value(kCatalogKeys);
    target.dataSource = fileDsn.isEmpty() ? dsn : fileDsn;
    target.loginTimeoutSeconds = timeoutOf(pairs);
    target.encrypted = encryptionAsked(pairs) || (freeTds && pairs.value({u"Encryption"}).trimmed() == u"require"_qs);
    return target;
}

// "Provider=MSDASQL;Data Source=DSN;…" as the ODBC string it stands for.
Pairs dataSourceOfProvider(const Pairs &pairs)
{
    QList<ParsedPair> odbc{ParsedPair{{u"DSN"_qs, pairs.value(kServerKeys)}}};
    if (pairs.has(kCatalogKeys))
        odbc.append(ParsedPair{{u"Database"_qs, pairs.value(kCatalogKeys)}});
    for (const ParsedPair &p : pairs.all())
        if (keyIn(p.pair.key, kUserKeys) || keyIn(p.pair.key, kPasswordKeys) || keyIn(p.pair.key, kWindowsKeys)
            || keyIn(p.pair.key, kTimeoutKeys) || keyIn(p.pair.key, kEncryptKeys) || keyIn(p.pair.key, kTrustKeys))
            odbc.append(p);
    return Pairs(odbc, Syntax::Ado);
}

} // namespace

QString defaultOdbcDriver()
{
    const QString fromEnv = qEnvironmentVariable("QVL32_ODBC_DRIVER");
    if (!fromEnv.trimmed().isEmpty())
        return fromEnv.trimmed();
#ifdef Q_OS_WIN
    return QStringLiteral("SQL Server");
#else
    return QStringLiteral("FreeTDS");
#endif
}

bool isFreeTds(const QString &driver)
{
    return driver.contains(u"FreeTDS"_qs, Qt::CaseInsensitive) || driver.contains(u"tdsodbc"_qs, Qt::CaseInsensitive);
}

ConnectionSetup systemConnectionSetup(const QString &odbcDriver, const QString &baseDir)
{
    ConnectionSetup setup;
    setup.odbcDriver = odbcDriver.isEmpty() ? defaultOdbcDriver() : odbcDriver;
    setup.baseDir = baseDir;
    setup.sqlUser = qEnvironmentVariable("QVL32_SQL_USER").trimmed();
    setup.sqlPassword = qEnvironmentVariable("QVL32_SQL_PASSWORD");
    setup.dataSourceDriver = registeredDataSourceDriver;
    setup.driverInstalled = [](const QString &driver) { return !registeredDriverLibrary(driver).isEmpty(); };
    setup.unpooledDriver = unpooledDriverLibrary;
    return setup;
}

ConnectionTarget translateConnectionString(const QString &connectionString, const ConnectionSetup &setup)
{
    Syntax syntax;
    QList<ParsedPair> parsed = parsePairs(connectionString, &syntax);
    const Pairs pairs(std::move(parsed), syntax);
    if (syntax == Syntax::Odbc)
        return odbcTarget(pairs, setup);

    // The suite's INI file names the embedded database with the server "SQLite".
    if (pairs.value({u"Provider"}).compare(u"SQLite"_qs, Qt::CaseInsensitive) == 0)
        return sqliteTarget(pairs.value(kServerKeys), setup.baseDir);
    if (pairs.value(kServerKeys).compare(u"SQLite"_qs, Qt::CaseInsensitive) == 0)
        return sqliteTarget(pairs.value(kCatalogKeys), setup.baseDir);
    // ADO's provider for ODBC names the DSN as its data source.
    if (pairs.value({u"Provider"}).startsWith(u"MSDASQL"_qs, Qt::CaseInsensitive))
        return odbcTarget(dataSourceOfProvider(pairs), setup);
    return oleDbTarget(pairs, setup);
}

ConnectionTarget translateConnectionString(const QString &connectionString,
                                           const QString &odbcDriver,
                                           const QString &baseDir)
{
    ConnectionSetup setup;
    setup.odbcDriver = odbcDriver;
    setup.baseDir = baseDir;
    return translateConnectionString(connectionString, setup);
}

QString odbcConnectString(const ConnectionTarget &target, QString *error)
{
    if (target.qtDriver != u"QODBC"_qs)
        return target.databaseName;
    QString text = target.databaseName;
    const auto add = [&](const QString &key, const QString &value, const char16_t *what) {
        if (target.freeTds && value.contains(u"};"_qs)) {
            *error = QString::fromUtf16(what) + u" enthält die Zeichen „};“, die der FreeTDS-Treiber nicht lesen kann. "
                                               "Bitte wählen Sie eines ohne diese Zeichenfolge."_qs;
            return false;
        }
        text += u';' + key + u'=' + odbcValue(value, target.freeTds);
        return true;
    };
    if (!target.userName.isEmpty() && !add(u"UID"_qs, target.userName, u"Der Benutzername"))
        return {};
    if (!target.password.isEmpty() && !add(u"PWD"_qs, target.password, u"Das Kennwort"))
        return {};
    // Qt 6.4 hands the driver the string with its terminating NUL counted: the closing ";"
    // keeps the NUL out of the last value.
    text += u';';

    const bool qtWritesFileDsn = text.contains(u".dsn"_qs, Qt::CaseInsensitive);
    const QString ownPrefix = target.dsnKey + u'=';
    if (qtWritesFileDsn) {
        if (target.dsnKey.compare(u"FileDSN"_qs, Qt::CaseInsensitive) != 0) {
            *error = u"Die Verbindungsangaben enthalten „.dsn“; der ODBC-Treiber würde sie als Name einer "
                     "DSN-Datei lesen. Bitte geben Sie den Server ohne diese Zeichenfolge an."_qs;
            return {};
        }
        if (text.startsWith(ownPrefix, Qt::CaseInsensitive))
            text.remove(0, ownPrefix.size());
    } else if (!target.dsnKey.isEmpty() && !text.startsWith(ownPrefix, Qt::CaseInsensitive)
               && (text.contains(u"DRIVER="_qs, Qt::CaseInsensitive)
                   || text.contains(u"SERVER="_qs, Qt::CaseInsensitive))) {
        text.prepend(ownPrefix);
    }
    return text;
}

} // namespace qvl
