#include "db/ConnectionString.h"

#include "db/ConnectionStringPairs.h"
#include "db/OdbcDataSources.h"
#include "os/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

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

// A login the server would refuse before it is even asked: none at all (no user, no
// Windows authentication, none from the environment; a DSN may hold its own), or the
// environment's password without its user.
QString missingLogin(const Pairs &pairs, const ConnectionSetup &setup, const ConnectionTarget &target)
{
    const bool stringHasLogin = pairs.has(kUserKeys) || pairs.has(kPasswordKeys);
    if (setup.sqlUser.isEmpty() && !setup.sqlPassword.isEmpty() && !stringHasLogin)
        return u"Die Umgebungsvariable QVL32_SQL_PASSWORD ist gesetzt, QVL32_SQL_USER aber nicht: ein Kennwort "
               "ohne Benutzer kann sich nicht anmelden. Setzen Sie QVL32_SQL_USER auf den Benutzernamen der "
               "SQL-Server-Anmeldung."_qs;
    if (target.userName.isEmpty() && target.password.isEmpty() && !target.windowsLogin && target.dsnKey.isEmpty())
        return u"Die Verbindung nennt keine Anmeldung: weder Benutzer und Kennwort (User ID, Password) noch die "
               "Windows-Anmeldung (Integrated Security=SSPI), und die Umgebungsvariablen QVL32_SQL_USER und "
               "QVL32_SQL_PASSWORD sind nicht gesetzt. Geben Sie eines davon an."_qs;
    return {};
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
    QString value;    // what the driver is given
    QString host;     // for messages: as written, with its instance
    QString machine;  // the machine alone, as FreeTDS reaches it
    QString instance; // a named instance whose port the SQL Browser names, or empty
    int port = 0;
};

// "(local)" and "." name this machine for the Windows drivers; FreeTDS knows neither.
QString machineForFreeTds(const QString &host)
{
    if (host == u"."_qs || host.compare(u"(local)"_qs, Qt::CaseInsensitive) == 0)
        return u"127.0.0.1"_qs;
    return host;
}

ServerAddress serverAddress(const QString &given, bool freeTds, int portKey)
{
    ServerAddress a;
    QString server = given.trimmed();
    if (server.startsWith(u"tcp:"_qs, Qt::CaseInsensitive))
        server = server.mid(4).trimmed();
    if (server.isEmpty())
        return a;
    const qsizetype comma = server.indexOf(u',');
    const QString named = (comma >= 0 ? server.left(comma) : server).trimmed();
    const qsizetype backslash = named.indexOf(u'\\');
    const QString machine = backslash >= 0 ? named.left(backslash).trimmed() : named;
    a.machine = freeTds ? machineForFreeTds(machine) : machine;
    a.host = named;
    if (comma >= 0) {
        // "SRV\INST,1433": the port wins and the instance is not looked up, as with the
        // Windows drivers.
        const QString port = server.mid(comma + 1).trimmed();
        a.port = port.toInt();
        a.value = (freeTds ? a.machine : named) + u',' + port;
        return a;
    }
    if (backslash >= 0) {
        a.instance = named.mid(backslash + 1).trimmed();
        a.value = freeTds ? a.machine + u'\\' + a.instance : named;
        a.port = portKey > 0 ? portKey : 0;
        return a; // an instance: the SQL Browser names its port
    }
    a.value = freeTds ? a.machine : named;
    a.port = portKey > 0 ? portKey : kDefaultPort;
    if (freeTds && portKey <= 0)
        a.value = a.machine + u',' + QString::number(kDefaultPort);
    return a;
}

int timeoutOf(const Pairs &pairs)
{
    bool ok = false;
    const int seconds = pairs.value(kTimeoutKeys).trimmed().toInt(&ok);
    return ok && seconds > 0 ? seconds : 0;
}

// A named instance for FreeTDS: its port asked of the SQL Browser within the connection's
// time-out, the driver given "machine,port".
void lookUpInstance(ServerAddress &server, const Pairs &pairs, const ConnectionSetup &setup, ConnectionTarget &target)
{
    if (server.instance.isEmpty() || !setup.instancePort)
        return;
    const int timeout = timeoutOf(pairs) > 0 ? timeoutOf(pairs) : setup.loginTimeoutSeconds;
    const InstancePort found = setup.instancePort(server.machine, server.instance, timeout);
    if (found.port <= 0) {
        target.error = found.error;
        return;
    }
    server.port = found.port;
    server.value = server.machine + u',' + QString::number(found.port);
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

// FreeTDS under any name: by the library the driver manager loads for the name (some
// systems register it as "TDS" or "SQL Server"), else by the name itself.
bool usesFreeTds(const QString &driver, const ConnectionSetup &setup)
{
    return isFreeTds(driver) || (setup.driverLibrary && isFreeTds(setup.driverLibrary(driver)));
}

// A driver for SQL Server that is neither FreeTDS nor one of Microsoft's gets the string as
// written: said in the log, since FreeTDS's port, charset and encryption keys are not added.
void noteOtherDriver(const QString &driver, const ConnectionSetup &setup, ConnectionTarget &target)
{
    if (driver.isEmpty() || usesFreeTds(driver, setup) || isWindowsSqlServerDriver(driver)
        || driver.contains(u"SQLite"_qs, Qt::CaseInsensitive))
        return;
    target.notes << u"Der ODBC-Treiber „"_qs + driver
                        + u"“ ist weder FreeTDS noch ein Treiber von Microsoft; er erhält die Verbindungsangaben "
                          "unverändert."_qs;
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
ConnectionTarget oleDbTarget(const Pairs &pairs, ConnectionSetup setup)
{
    ConnectionTarget target;
    if (setup.installedDrivers) {
        const QString provider = pairs.value({u"Provider"});
        setup.odbcDriver = sqlServerDriverFor(provider, setup.installedDrivers());
        if (!provider.isEmpty())
            target.notes << u"Für den OLE-DB-Anbieter „"_qs + provider + u"“ wird der ODBC-Treiber „"_qs
                                + setup.odbcDriver + u"“ verwendet."_qs;
    }
    target.qtDriver = QStringLiteral("QODBC");
    target.dialect = SqlDialect::SqlServer;
    target.freeTds = usesFreeTds(setup.odbcDriver, setup);
    target.driver = setup.odbcDriver;
    noteOtherDriver(setup.odbcDriver, setup, target);
    ServerAddress server = serverAddress(pairs.value(kServerKeys), target.freeTds, 0);
    if (target.freeTds)
        lookUpInstance(server, pairs, setup, target);
    target.server = server.host;
    target.port = server.port;
    target.database = pairs.value(kCatalogKeys);
    target.loginTimeoutSeconds = timeoutOf(pairs);
    target.encrypted = encryptionAsked(pairs);
    const Login login = loginOf(pairs, setup);

    QStringList odbc;
    odbc << odbcPair(u"Driver"_qs, unpooled(setup.odbcDriver, setup), target.freeTds);
    odbc << odbcPair(u"Server"_qs, server.value, target.freeTds);
    if (!target.database.isEmpty()) {
        target.catalogPair = odbcPair(u"Database"_qs, target.database, target.freeTds);
        odbc << target.catalogPair;
    }
    if (login.windows)
        odbc << u"Trusted_Connection=yes"_qs;
    odbc << encryptionPairs(pairs, target.freeTds);
    if (target.freeTds)
        odbc << freeTdsPairs(false);
    target.databaseName = odbc.join(u';');
    setLogin(target, login);
    if (target.error.isEmpty())
        target.error = missingLogin(pairs, setup, target);
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
    const bool freeTds = !driver.isEmpty() ? usesFreeTds(driver, setup) : isFreeTds(driverInUse);
    noteOtherDriver(driver, setup, target);
    target.freeTds = freeTds;
    const Login login = loginOf(pairs, setup);
    const int portKey = pairs.value({u"Port"}).trimmed().toInt();
    ServerAddress server = serverAddress(pairs.value(kServerKeys), freeTds, portKey);
    if (freeTds && portKey <= 0)
        lookUpInstance(server, pairs, setup, target);

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
        else if (keyIn(key, kCatalogKeys))
            odbc << (target.catalogPair = odbcPair(key, p.pair.value, freeTds));
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
    if (target.error.isEmpty() && target.dialect == SqlDialect::SqlServer)
        target.error = missingLogin(pairs, setup, target);
    target.server = server.host;
    target.port = server.port;
    target.database = pairs.value(kCatalogKeys);
    target.dataSource = fileDsn.isEmpty() ? dsn : fileDsn;
    if (target.database.isEmpty() && byName && fileDsn.isEmpty() && setup.dataSourceDatabase)
        target.database = setup.dataSourceDatabase(dsn);
    // A DSN's driver comes as "name library".
    const qsizetype space = driverInUse.lastIndexOf(u' ');
    const bool withLibrary = space > 0 && (driverInUse.mid(space).contains(u'/') || driverInUse.mid(space).contains(u".so"_qs)
                                           || driverInUse.mid(space).contains(u".dll"_qs, Qt::CaseInsensitive));
    target.driver = !driver.isEmpty() ? driver : withLibrary ? driverInUse.left(space) : driverInUse;
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

QString sqlServerDriverFor(const QString &provider, const QStringList &installed)
{
    const QString sqlServer = QStringLiteral("SQL Server");
    const auto isInstalled = [&installed](const QString &driver) {
        return installed.contains(driver, Qt::CaseInsensitive);
    };
    // Microsoft's drivers, newest first: "ODBC Driver N for SQL Server" by N, then the Native
    // Clients by version, then the one every Windows has.
    static const QRegularExpression odbcDriver(u"^ODBC Driver ([0-9]+) for SQL Server$"_qs,
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nativeClient(u"^SQL Server Native Client ([0-9]+)\\.([0-9]+)$"_qs,
                                                 QRegularExpression::CaseInsensitiveOption);
    QList<std::pair<int, QString>> microsoft;
    for (const QString &driver : installed) {
        if (const QRegularExpressionMatch m = odbcDriver.match(driver.trimmed()); m.hasMatch())
            microsoft.append({1000 + m.captured(1).toInt(), driver.trimmed()});
        else if (const QRegularExpressionMatch n = nativeClient.match(driver.trimmed()); n.hasMatch())
            microsoft.append({100 + n.captured(1).toInt() * 10 + n.captured(2).toInt(), driver.trimmed()});
    }
    std::stable_sort(microsoft.begin(), microsoft.end(), [](const auto &a, const auto &b) { return a.first > b.first; });

    const QString family = provider.trimmed().section(u'.', 0, 0).toUpper();
    QStringList wanted;
    if (family == u"MSOLEDBSQL"_qs || family == u"MSOLEDBSQL19"_qs) {
        for (const auto &[rank, driver] : std::as_const(microsoft))
            if (rank >= 1000)
                wanted << driver;
    } else if (family.startsWith(u"SQLNCLI"_qs)) {
        const QString version = family.mid(7);
        wanted << (version.isEmpty() ? u"SQL Native Client"_qs
                                     : u"SQL Server Native Client "_qs + version + u".0"_qs);
    } else {
        wanted << sqlServer; // SQLOLEDB, or no provider named: the suite's own generation
    }
    for (const QString &driver : std::as_const(wanted))
        if (isInstalled(driver))
            return driver;
    if (!microsoft.isEmpty() && family != u"SQLOLEDB"_qs && !family.isEmpty())
        return microsoft.first().second;
    return sqlServer;
}

bool isFreeTds(const QString &driver)
{
    return driver.contains(u"FreeTDS"_qs, Qt::CaseInsensitive) || driver.contains(u"tdsodbc"_qs, Qt::CaseInsensitive);
}

ConnectionSetup systemConnectionSetup(const QString &odbcDriver, const QString &baseDir, int loginTimeoutSeconds)
{
    ConnectionSetup setup;
    setup.loginTimeoutSeconds = loginTimeoutSeconds;
    setup.driverLibrary = registeredDriverLibrary;
    setup.dataSourceDatabase = registeredDataSourceDatabase;
    setup.instancePort = [](const QString &machine, const QString &instance, int timeoutSeconds) {
        return sqlBrowserInstancePort(machine, instance, timeoutSeconds);
    };
    setup.odbcDriver = odbcDriver.isEmpty() ? defaultOdbcDriver() : odbcDriver;
    setup.baseDir = baseDir;
    setup.sqlUser = qEnvironmentVariable("QVL32_SQL_USER").trimmed();
    setup.sqlPassword = qEnvironmentVariable("QVL32_SQL_PASSWORD");
    setup.dataSourceDriver = registeredDataSourceDriver;
    setup.driverInstalled = [](const QString &driver) { return !registeredDriverLibrary(driver).isEmpty(); };
    setup.unpooledDriver = unpooledDriverLibrary;
#ifdef Q_OS_WIN
    if (odbcDriver.isEmpty() && qEnvironmentVariable("QVL32_ODBC_DRIVER").trimmed().isEmpty())
        setup.installedDrivers = installedOdbcDrivers;
#endif
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

OdbcHandOver odbcHandOver(const ConnectionTarget &target, QString *error)
{
    OdbcHandOver out;
    if (target.qtDriver != u"QODBC"_qs) {
        out.databaseName = target.databaseName;
        return out;
    }
    const auto quoted = [&](const QString &value, const char16_t *what, QString *into) {
        if (target.freeTds && value.contains(u"};"_qs)) {
            *error = QString::fromUtf16(what) + u" enthält die Zeichen „};“, die der FreeTDS-Treiber nicht lesen kann. "
                                               "Bitte wählen Sie eines ohne diese Zeichenfolge."_qs;
            return false;
        }
        *into = odbcValue(value, target.freeTds);
        return true;
    };
    if (!target.userName.isEmpty() && !quoted(target.userName, u"Der Benutzername", &out.userName))
        return {};
    if (!target.password.isEmpty() && !quoted(target.password, u"Das Kennwort", &out.password))
        return {};

    // Qt looks at the database name alone for ".dsn", "DRIVER=" and "SERVER=": the login
    // goes where Qt appends it (";UID=", ";PWD="), and so does a database named with ".dsn",
    // so that no value the clerk typed is ever read as one of those keys.
    QString head = target.databaseName;
    QStringList after;
    const QString catalog = target.catalogPair;
    if (!catalog.isEmpty() && catalog.contains(u".dsn"_qs, Qt::CaseInsensitive)) {
        if (out.userName.isEmpty() && out.password.isEmpty()) {
            *error = u"Der Name der Datenbank „"_qs + target.database
                     + u"“ enthält „.dsn“; der ODBC-Treiber würde ihn ohne Anmeldung als Name einer DSN-Datei lesen. "
                       "Bitte geben Sie Benutzer und Kennwort an oder eine Datenbank ohne diese Zeichenfolge."_qs;
            return {};
        }
        if (head.startsWith(catalog + u';'))
            head.remove(0, catalog.size() + 1);
        else if (const qsizetype at = (head + u';').indexOf(u';' + catalog + u';'); at >= 0)
            head.remove(at, catalog.size() + 1);
        after << catalog;
    }
    // Qt 6.4 hands the driver the string with its terminating NUL counted: a closing ";"
    // keeps the NUL out of the last value.
    QString &last = !out.password.isEmpty() ? out.password : !out.userName.isEmpty() ? out.userName : head;
    for (const QString &pair : std::as_const(after))
        last += u';' + pair;
    last += u';';

    const bool qtWritesFileDsn = head.contains(u".dsn"_qs, Qt::CaseInsensitive);
    const QString ownPrefix = target.dsnKey + u'=';
    if (qtWritesFileDsn) {
        if (target.dsnKey.compare(u"FileDSN"_qs, Qt::CaseInsensitive) != 0) {
            *error = u"Die Verbindungsangaben enthalten „.dsn“ (etwa im Namen des Servers); der ODBC-Treiber würde sie "
                     "als Name einer DSN-Datei lesen. Bitte geben Sie den Server ohne diese Zeichenfolge an."_qs;
            return {};
        }
        if (head.startsWith(ownPrefix, Qt::CaseInsensitive))
            head.remove(0, ownPrefix.size());
    } else if (!target.dsnKey.isEmpty() && !head.startsWith(ownPrefix, Qt::CaseInsensitive)
               && (head.contains(u"DRIVER="_qs, Qt::CaseInsensitive)
                   || head.contains(u"SERVER="_qs, Qt::CaseInsensitive))) {
        head.prepend(ownPrefix);
    }
    out.databaseName = head;
    return out;
}

QString OdbcHandOver::connectString(const QString &qtDriver) const
{
    if (qtDriver != u"QODBC"_qs)
        return databaseName;
    // As Qt's ODBC driver assembles it.
    QString text = databaseName.contains(u".dsn"_qs, Qt::CaseInsensitive) ? u"FILEDSN="_qs + databaseName
                   : databaseName.contains(u"DRIVER="_qs, Qt::CaseInsensitive)
                           || databaseName.contains(u"SERVER="_qs, Qt::CaseInsensitive)
                       ? databaseName
                       : u"DSN="_qs + databaseName;
    if (!userName.isEmpty())
        text += u";UID="_qs + userName;
    if (!password.isEmpty())
        text += u";PWD="_qs + password;
    return text;
}

QString odbcConnectString(const ConnectionTarget &target, QString *error)
{
    const OdbcHandOver handOver = odbcHandOver(target, error);
    return handOver.databaseName.isEmpty() ? QString() : handOver.connectString(target.qtDriver);
}

} // namespace qvl
