#include "platform/ConnectionString.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPair>

namespace qvl {

namespace {

using KeyValues = QList<QPair<QString, QString>>;

KeyValues splitConnectionString(const QString &text)
{
    KeyValues result;
    for (const QString &part : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            continue;
        result.append({part.left(eq).trimmed(), part.mid(eq + 1).trimmed()});
    }
    return result;
}

QString valueOf(const KeyValues &pairs, const QString &key)
{
    for (const auto &[k, v] : pairs)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

bool hasKey(const KeyValues &pairs, const QString &key)
{
    for (const auto &kv : pairs)
        if (kv.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// ODBC values holding ";" or braces must be wrapped in braces.
QString odbcValue(const QString &value)
{
    if (value.contains(u';') || value.contains(u'{') || value.contains(u'}') || value.contains(u'='))
        return u'{' + QString(value).replace(u"}"_qs, u"}}"_qs) + u'}';
    return value;
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

QString connectionStringValue(const QString &connectionString, const QString &key)
{
    return valueOf(splitConnectionString(connectionString), key);
}

ConnectionTarget translateConnectionString(const QString &connectionString,
                                           const QString &odbcDriver,
                                           const QString &baseDir)
{
    const KeyValues pairs = splitConnectionString(connectionString);
    ConnectionTarget target;

    const bool sqliteProvider = valueOf(pairs, u"Provider"_qs).compare(u"SQLite"_qs, Qt::CaseInsensitive) == 0;
    // The suite's INI file names the embedded database with the server "SQLite".
    const bool sqliteServer = valueOf(pairs, u"Data Source"_qs).compare(u"SQLite"_qs, Qt::CaseInsensitive) == 0;
    if (sqliteProvider || sqliteServer) {
        const QString file = nativePath(valueOf(pairs, sqliteProvider ? u"Data Source"_qs : u"Initial Catalog"_qs));
        const QString absolute = QFileInfo(file).isAbsolute() || file.isEmpty()
                                     ? file
                                     : QDir(baseDir).filePath(file);
        target.qtDriver = QStringLiteral("QSQLITE");
        target.databaseName = QDir::cleanPath(absolute);
        target.dialect = SqlDialect::Sqlite;
        target.server = QFileInfo(target.databaseName).absolutePath();
        target.database = QFileInfo(target.databaseName).fileName();
        return target;
    }

    target.qtDriver = QStringLiteral("QODBC");
    if (hasKey(pairs, u"Driver"_qs) || hasKey(pairs, u"DSN"_qs)) {
        target.databaseName = connectionString;
        const QString driver = valueOf(pairs, u"Driver"_qs);
        target.dialect = driver.contains(u"SQLite"_qs, Qt::CaseInsensitive) ? SqlDialect::Sqlite
                                                                            : SqlDialect::SqlServer;
        target.server = valueOf(pairs, u"Server"_qs);
        if (target.server.isEmpty())
            target.server = valueOf(pairs, u"DSN"_qs);
        target.database = valueOf(pairs, u"Database"_qs);
        return target;
    }

    target.server = valueOf(pairs, u"Data Source"_qs);
    target.database = valueOf(pairs, u"Initial Catalog"_qs);
    QStringList odbc;
    odbc << u"Driver={"_qs + odbcDriver + u'}';
    odbc << u"Server="_qs + odbcValue(target.server);
    if (!target.database.isEmpty())
        odbc << u"Database="_qs + odbcValue(target.database);
    if (valueOf(pairs, u"Integrated Security"_qs).compare(u"SSPI"_qs, Qt::CaseInsensitive) == 0)
        odbc << u"Trusted_Connection=yes"_qs;
    const QString user = valueOf(pairs, u"User ID"_qs);
    if (!user.isEmpty())
        odbc << u"UID="_qs + odbcValue(user);
    if (hasKey(pairs, u"Password"_qs))
        odbc << u"PWD="_qs + odbcValue(valueOf(pairs, u"Password"_qs));
    target.databaseName = odbc.join(u';') + u';';
    target.dialect = SqlDialect::SqlServer;
    return target;
}

} // namespace qvl
