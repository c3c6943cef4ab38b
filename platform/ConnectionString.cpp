#include "platform/ConnectionString.h"

#include "platform/OdbcDataSources.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace qvl {

namespace {

enum class Syntax { Ado, Odbc };

// A pair with where its value stands in the text (for withoutPasswords).
struct ParsedPair {
    ConnectionPair pair;
    qsizetype valueFrom = 0;
    qsizetype valueTo = 0;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QList<ParsedPair> parseAs(const QString &text, Syntax syntax)
{
    QList<ParsedPair> pairs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (text[i] == u';' || isBlank(text[i])))
            ++i;
        QString key;
        bool hasValue = false;
        for (; i < n && text[i] != u';'; ++i) {
            if (text[i] != u'=') {
                key += text[i];
                continue;
            }
            // ADO writes a "=" inside a key twice.
            if (syntax == Syntax::Ado && i + 1 < n && text[i + 1] == u'=') {
                key += u'=';
                ++i;
                continue;
            }
            hasValue = true;
            ++i;
            break;
        }
        if (!hasValue)
            continue; // a part without "=" says nothing
        while (i < n && isBlank(text[i]))
            ++i;

        ParsedPair parsed;
        parsed.pair.key = key.trimmed();
        parsed.valueFrom = i;
        const QChar first = i < n ? text[i] : QChar();
        const bool quoted = syntax == Syntax::Ado ? (first == u'\'' || first == u'"') : first == u'{';
        if (quoted) {
            const QChar close = first == u'{' ? QChar(u'}') : first;
            for (++i; i < n; ++i) {
                if (text[i] != close) {
                    parsed.pair.value += text[i];
                } else if (i + 1 < n && text[i + 1] == close) {
                    parsed.pair.value += close;
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            parsed.valueTo = i;
            while (i < n && text[i] != u';') // blanks after the closing quote
                ++i;
        } else {
            const qsizetype end = text.indexOf(u';', i);
            parsed.valueTo = end < 0 ? n : end;
            parsed.pair.value = text.mid(i, parsed.valueTo - i).trimmed();
            i = parsed.valueTo;
        }
        pairs.append(parsed);
    }
    return pairs;
}

bool keyIn(const QString &key, std::initializer_list<QStringView> names)
{
    for (QStringView name : names)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool namesOdbc(const QList<ParsedPair> &pairs)
{
    for (const ParsedPair &p : pairs)
        if (keyIn(p.pair.key, {u"Driver", u"DSN", u"FileDSN"}))
            return true;
    return false;
}

QList<ParsedPair> parsePairs(const QString &text, Syntax *syntax = nullptr)
{
    QList<ParsedPair> pairs = parseAs(text, Syntax::Ado);
    const bool odbc = namesOdbc(pairs);
    if (odbc)
        pairs = parseAs(text, Syntax::Odbc);
    if (syntax)
        *syntax = odbc ? Syntax::Odbc : Syntax::Ado;
    return pairs;
}

// The keys ADO takes for the same thing.
constexpr std::initializer_list<QStringView> kServerKeys{u"Data Source", u"Server", u"Address", u"Addr",
                                                         u"Network Address"};
constexpr std::initializer_list<QStringView> kCatalogKeys{u"Initial Catalog", u"Database"};
constexpr std::initializer_list<QStringView> kUserKeys{u"User ID", u"UID", u"User"};
constexpr std::initializer_list<QStringView> kPasswordKeys{u"Password", u"PWD"};
constexpr std::initializer_list<QStringView> kWindowsKeys{u"Integrated Security", u"Trusted_Connection"};
constexpr std::initializer_list<QStringView> kCharsetKeys{u"ClientCharset", u"client_charset"};

// ADO takes the last of a repeated key, ODBC the first.
class Pairs {
public:
    Pairs(QList<ParsedPair> parsed, Syntax syntax) : m_parsed(std::move(parsed)), m_syntax(syntax) {}

    const ConnectionPair *find(std::initializer_list<QStringView> keys) const
    {
        const ConnectionPair *found = nullptr;
        for (const ParsedPair &p : m_parsed) {
            if (!keyIn(p.pair.key, keys))
                continue;
            found = &p.pair;
            if (m_syntax == Syntax::Odbc)
                break;
        }
        return found;
    }
    bool has(std::initializer_list<QStringView> keys) const { return find(keys) != nullptr; }
    QString value(std::initializer_list<QStringView> keys) const
    {
        const ConnectionPair *p = find(keys);
        return p ? p->value : QString();
    }
    const QList<ParsedPair> &all() const { return m_parsed; }

private:
    QList<ParsedPair> m_parsed;
    Syntax m_syntax;
};

// ODBC values that hold a separator, a brace or blanks at either end go in braces.
QString odbcValue(const QString &value)
{
    const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}')
                       && !value.contains(u'=') && value == value.trimmed();
    return plain ? value : u'{' + QString(value).replace(u"}"_qs, u"}}"_qs) + u'}';
}

QString odbcPair(const QString &key, const QString &value)
{
    // Driver names are written in braces by convention ("{SQL Server}").
    if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) == 0)
        return key + u"={"_qs + QString(value).replace(u"}"_qs, u"}}"_qs) + u'}';
    return key + u'=' + odbcValue(value);
}

bool isTrue(const QString &value)
{
    return keyIn(value.trimmed(), {u"SSPI", u"true", u"yes"});
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
    target.userName = login.user.isEmpty() ? QString() : odbcValue(login.user);
    target.password = login.password.isEmpty() ? QString() : odbcValue(login.password);
}

// What FreeTDS needs to keep texts intact whatever the locale: the pairs to add.
QStringList freeTdsPairs(bool namesTdsVersion)
{
    QStringList extra{u"ClientCharset=UTF-8"_qs};
    if (!namesTdsVersion)
        extra << u"TDS_Version=7.4"_qs;
    return extra;
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
    target.server = pairs.value(kServerKeys);
    target.database = pairs.value(kCatalogKeys);
    const Login login = loginOf(pairs, setup);

    QStringList odbc;
    odbc << odbcPair(u"Driver"_qs, setup.odbcDriver);
    odbc << odbcPair(u"Server"_qs, target.server);
    if (!target.database.isEmpty())
        odbc << odbcPair(u"Database"_qs, target.database);
    if (login.windows)
        odbc << u"Trusted_Connection=yes"_qs;
    if (isFreeTds(setup.odbcDriver))
        odbc << freeTdsPairs(false);
    target.databaseName = odbc.join(u';');
    setLogin(target, login);
    return target;
}

// An ODBC string: its own keys kept, the login taken out, FreeTDS's charset set.
ConnectionTarget odbcTarget(const Pairs &pairs, const ConnectionSetup &setup)
{
    ConnectionTarget target;
    target.qtDriver = QStringLiteral("QODBC");
    const QString driver = pairs.value({u"Driver"});
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
    const Login login = loginOf(pairs, setup);

    QStringList odbc;
    bool namesTdsVersion = false;
    QSet<QString> written; // ODBC takes the first of a repeated key; drivers differ
    for (const ParsedPair &p : pairs.all()) {
        const QString &key = p.pair.key;
        if (written.contains(key.toLower()))
            continue;
        written.insert(key.toLower());
        if (keyIn(key, kUserKeys) || keyIn(key, kPasswordKeys) || keyIn(key, kWindowsKeys)
            || (freeTds && keyIn(key, kCharsetKeys)))
            continue;
        if (byName && keyIn(key, {u"DSN", u"FileDSN"}))
            continue;
        // ADO's own keys in a DSN string written for ADO's ODBC provider.
        if (keyIn(key, {u"Provider", u"Persist Security Info"}))
            continue;
        namesTdsVersion = namesTdsVersion || keyIn(key, {u"TDS_Version"});
        odbc << odbcPair(key, p.pair.value);
    }
    if (login.windows)
        odbc << u"Trusted_Connection=yes"_qs;
    if (freeTds)
        odbc << (byName ? QStringList{u"ClientCharset=UTF-8"_qs} : freeTdsPairs(namesTdsVersion));

    if (byName) {
        odbc.prepend(odbcValue(fileDsn.isEmpty() ? dsn : fileDsn));
        target.databaseName = odbc.join(u';');
        if (target.databaseName.contains(u"DRIVER="_qs, Qt::CaseInsensitive)
            || target.databaseName.contains(u"SERVER="_qs, Qt::CaseInsensitive))
            target.databaseName.prepend(fileDsn.isEmpty() ? u"DSN="_qs : u"FileDSN="_qs);
    } else {
        target.databaseName = odbc.join(u';');
    }
    setLogin(target, login);
    target.dialect = driverInUse.contains(u"SQLite"_qs, Qt::CaseInsensitive) ? SqlDialect::Sqlite
                                                                            : SqlDialect::SqlServer;
    target.server = pairs.value(kServerKeys);
    target.database = pairs.value(kCatalogKeys);
    target.dataSource = fileDsn.isEmpty() ? dsn : fileDsn;
    return target;
}

// "Provider=MSDASQL;Data Source=DSN;…" as the ODBC string it stands for.
Pairs dataSourceOfProvider(const Pairs &pairs)
{
    QList<ParsedPair> odbc{ParsedPair{{u"DSN"_qs, pairs.value(kServerKeys)}}};
    if (pairs.has(kCatalogKeys))
        odbc.append(ParsedPair{{u"Database"_qs, pairs.value(kCatalogKeys)}});
    for (const ParsedPair &p : pairs.all())
        if (keyIn(p.pair.key, kUserKeys) || keyIn(p.pair.key, kPasswordKeys) || keyIn(p.pair.key, kWindowsKeys))
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
    return setup;
}

QList<ConnectionPair> parseConnectionString(const QString &connectionString)
{
    QList<ConnectionPair> pairs;
    for (const ParsedPair &p : parsePairs(connectionString))
        pairs.append(p.pair);
    return pairs;
}

QString connectionStringValue(const QString &connectionString, const QString &key)
{
    Syntax syntax;
    QList<ParsedPair> parsed = parsePairs(connectionString, &syntax);
    const QString wanted = key.trimmed();
    return Pairs(std::move(parsed), syntax).value({QStringView(wanted)});
}

QString withoutPasswords(const QString &connectionString)
{
    QString shown = connectionString;
    const QList<ParsedPair> pairs = parsePairs(connectionString);
    for (auto it = pairs.crbegin(); it != pairs.crend(); ++it)
        if (keyIn(it->pair.key, kPasswordKeys) && !it->pair.value.isEmpty())
            shown.replace(it->valueFrom, it->valueTo - it->valueFrom, u"***"_qs);
    return shown;
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

} // namespace qvl
