#include "db/Database.h"

#include "db/ConnectionFailure.h"
#include "text/Conversions.h"
#include "db/DatabaseInUse.h"
#include "db/TdsPrelogin.h"
#include "db/SqlCursors.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

#include <mutex>

namespace qvl {

namespace {

QString uniqueConnectionName()
{
    static QAtomicInteger<int> counter;
    return u"qvl32-connection-"_qs + QString::number(counter.fetchAndAddRelaxed(1));
}

QString errorText(const QSqlError &error)
{
    QString text = error.text().trimmed();
    return text.isEmpty() ? u"unbekannter Fehler"_qs : text;
}

QString shortened(const QString &statement)
{
    const QString oneLine = statement.simplified();
    return oneLine.size() > 200 ? oneLine.left(200) + u" …"_qs : oneLine;
}

// SQL Server's 229: the login lacks a right on a table. Told with the table, the right and
// the login, as the administrator grants it; empty for any other failure.
QString permissionDenied(const ConnectionTarget *t, const QSqlError &error)
{
    static const QRegularExpression denied(u"The (\\w+) permission was denied on the object '([^']*)'"_qs,
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = denied.match(error.text());
    if (!m.hasMatch())
        return {};
    const QString right = m.captured(1).toUpper();
    const QString what = right == u"SELECT"_qs   ? u"lesen"_qs
                         : right == u"INSERT"_qs ? u"ergänzen"_qs
                         : right == u"UPDATE"_qs ? u"ändern"_qs
                         : right == u"DELETE"_qs ? u"löschen"_qs
                                                 : u"verwenden"_qs;
    const QString login = !t                    ? u"die Anmeldung dieser Verbindung"_qs
                          : t->userName.isEmpty() ? u"Ihre Windows-Anmeldung"_qs
                                                  : u"die Anmeldung „"_qs + t->userName + u'“';
    return u"Der SQL Server hat eine Anweisung abgelehnt: "_qs + login + u" darf die Tabelle „"_qs + m.captured(2)
           + u"“ nicht "_qs + what + u" (Recht "_qs + right + u"). Bitten Sie den Administrator des SQL Servers, "
             "dieses Recht zu erteilen (GRANT "_qs + right + u" ON "_qs + m.captured(2) + u" TO …).\nDetails: "_qs
           + errorText(error);
}

QString statementFailure(const ConnectionTarget *t, const QString &statement, const QSqlError &error, bool sqlite)
{
    const QString denied = permissionDenied(t, error);
    if (!denied.isEmpty())
        return denied;
    if (databaseInUse(error, sqlite))
        return databaseInUseMessage(t ? u"„"_qs + (sqlite ? QDir::toNativeSeparators(QDir(t->server).filePath(t->database))
                                                          : t->database)
                                            + u'“'
                                      : QString(),
                                    errorText(error));
    return u"Die Datenbankabfrage „"_qs + shortened(statement) + u"“ ist fehlgeschlagen:\n"_qs + errorText(error);
}

// Qt's ODBC driver writes each failure to the log in English as well ("QODBCResult::exec:
// Unable to execute statement"); the program tells it once, in German, with the driver's
// text under "Details". Other messages pass on.
QtMessageHandler previousHandler = nullptr;

void withoutDriverWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && (message.startsWith(u"QODBCResult::"_qs) || message.startsWith(u"QODBCDriver::"_qs)))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

void quietDriverWarnings()
{
    static std::once_flag once;
    std::call_once(once, [] { previousHandler = qInstallMessageHandler(withoutDriverWarnings); });
}

// The machine of the server as FreeTDS reaches it: "(local)" and "." are this one.
QString machineOf(const ConnectionTarget &t)
{
    const QString machine = t.server.section(u'\\', 0, 0).trimmed();
    return machine == u"."_qs || machine.compare(u"(local)"_qs, Qt::CaseInsensitive) == 0 ? u"127.0.0.1"_qs : machine;
}

// Names what could not be opened; never the login.
QString openFailure(const ConnectionTarget &t)
{
    if (t.dataSource.isEmpty())
        return u"Die Verbindung zur Datenbank „"_qs + t.database + u"“ auf dem Server „"_qs + t.server
               + u"“ konnte nicht geöffnet werden."_qs;
    const QString source = u"ODBC-Datenquelle „"_qs + t.dataSource + u'“';
    return (t.database.isEmpty() ? u"Die Verbindung zur "_qs + source
                                 : u"Die Verbindung zur Datenbank „"_qs + t.database + u"“ über die "_qs + source)
           + u" konnte nicht geöffnet werden."_qs;
}

} // namespace

std::unique_ptr<Database> Database::open(const QString &connectionString, const DbOptions &options)
{
    std::unique_ptr<Database> db(new Database);
    db->m_target = translateConnectionString(
        connectionString, systemConnectionSetup(options.odbcDriver, options.baseDir, options.loginTimeoutSeconds));
    db->m_connectionName = uniqueConnectionName();

    const ConnectionTarget &t = db->m_target;
    const QString where = openFailure(t);

    if (t.qtDriver == u"QSQLITE"_qs && (t.databaseName.isEmpty() || !QFileInfo(t.databaseName).isFile()))
        throw DbError(where + u"\nDie Datenbankdatei „"_qs + t.databaseName + u"“ wurde nicht gefunden."_qs);
    if (!QSqlDatabase::isDriverAvailable(t.qtDriver))
        throw DbError(where + u"\nDer Datenbanktreiber "_qs + t.qtDriver + u" ist nicht installiert."_qs);

    if (!t.error.isEmpty())
        throw DbError(where + u'\n' + t.error);
    QString connectError;
    const OdbcHandOver handOver = odbcHandOver(t, &connectError);
    if (handOver.databaseName.isEmpty())
        throw DbError(where + u'\n' + connectError);
    for (const QString &note : t.notes)
        qInfo("%s", qUtf8Printable(note));

    if (t.qtDriver == u"QODBC"_qs)
        quietDriverWarnings();
    QSqlDatabase handle = QSqlDatabase::addDatabase(t.qtDriver, db->m_connectionName);
    // Qt appends the login after the string as it stands: it comes quoted already.
    handle.setDatabaseName(handOver.databaseName);
    handle.setUserName(handOver.userName);
    handle.setPassword(handOver.password);
    const int timeout = t.loginTimeoutSeconds > 0 ? t.loginTimeoutSeconds : options.loginTimeoutSeconds;
    if (t.qtDriver == u"QODBC"_qs)
        handle.setConnectOptions(u"SQL_ATTR_LOGIN_TIMEOUT="_qs + QString::number(timeout));
    else if (t.qtDriver == u"QSQLITE"_qs && options.readOnly)
        handle.setConnectOptions(u"QSQLITE_OPEN_READONLY"_qs);
    if (!handle.open()) {
        const QSqlError error = handle.lastError();
        if (t.qtDriver != u"QODBC"_qs)
            throw DbError(where + u'\n' + errorText(error));
        ConnectionFault fault = classifyConnectionFault(t, errorText(error), error.nativeErrorCode());
        // FreeTDS says the same when the server offers no encryption and when the TLS
        // handshake with one that does fails: the server's own answer tells them apart.
        if (fault == ConnectionFault::NoEncryption
            && serverOffersEncryption(machineOf(t), t.port, std::min(timeout, 5) * 1000).value_or(false))
            fault = ConnectionFault::TlsFailed;
        throw DbError(connectionFailureMessage(t, where, errorText(error), fault, timeout));
    }
    if (t.qtDriver == u"QSQLITE"_qs && options.readOnly) {
        // A journal an interrupted writer left must be rolled back before the file can be
        // read, and a read-only connection may not: said in German, not as SQLite's text.
        QSqlQuery probe(handle);
        if (!probe.exec(u"select count(*) from sqlite_master"_qs)
            && QFileInfo::exists(t.databaseName + u"-journal"_qs))
            throw DbError(where + u"\nEin Schreibvorgang auf der Datenbank wurde unterbrochen (die Datei „"_qs
                          + QDir::toNativeSeparators(t.databaseName)
                          + u"-journal“ liegt noch daneben). Diese Prüfung ändert nichts und kann die Datenbank so "
                            "nicht lesen; der nächste Lauf oder Start des Programms stellt sie wieder her.\nDetails: "_qs
                          + errorText(probe.lastError()));
    }
    return db;
}

Database::~Database()
{
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase handle = QSqlDatabase::database(m_connectionName, false);
        if (handle.isOpen())
            handle.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Database::handle() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Database::isOpen() const
{
    return handle().isOpen();
}

QString Database::sql(const DialectSql &statement) const
{
    return QString::fromUtf16(m_target.dialect == SqlDialect::Sqlite ? statement.sqlite : statement.sqlServer);
}

QSqlQuery Database::prepare(const QString &statement) const
{
    QSqlQuery query(handle());
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw DbError(statementFailure(&m_target, statement, query.lastError(), m_target.qtDriver == u"QSQLITE"_qs));
    return query;
}

void Database::exec(QSqlQuery &query)
{
    if (!query.exec())
        throw DbError(statementFailure(nullptr, query.lastQuery(), query.lastError(),
                                       query.driver() && query.driver()->dbmsType() == QSqlDriver::SQLite));
}

QSqlQuery Database::run(const QString &statement, const QVariantList &values) const
{
    QSqlQuery query = prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(statementFailure(&m_target, statement, query.lastError(), m_target.qtDriver == u"QSQLITE"_qs));
    return query;
}

sqlite3 *Database::nativeSqlite() const
{
    if (m_target.qtDriver != u"QSQLITE"_qs)
        return nullptr;
    const QVariant native = handle().driver()->handle();
    if (!native.isValid() || qstrcmp(native.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(native.constData());
}

std::unique_ptr<RowCursor> Database::select(const QString &statement, const QVariantList &values) const
{
    if (sqlite3 *db = nativeSqlite())
        return openSqliteCursor(db, statement, values);
    return openQtCursor(run(statement, values));
}

std::optional<int> Database::rowsAffected(const QSqlQuery &query) const
{
    const int rows = query.numRowsAffected();
    if (!m_rowCountsReported || rows < 0)
        return std::nullopt;
    return rows;
}

void Database::beginTransaction()
{
    if (!handle().transaction())
        throw DbError(u"Die Datenbanktransaktion konnte nicht begonnen werden:\n"_qs + errorText(handle().lastError()));
}

void Database::commit()
{
    if (!handle().commit())
        throw DbError(u"Die Datenbanktransaktion konnte nicht abgeschlossen werden:\n"_qs + errorText(handle().lastError()));
}

void Database::rollback()
{
    handle().rollback();
}

QString fieldText(const QSqlRecord &record, const QString &column)
{
    const int i = record.indexOf(column);
    if (i < 0 || record.isNull(i))
        return {};
    return record.value(i).toString();
}

double fieldNumber(const QSqlRecord &record, const QString &column)
{
    const int i = record.indexOf(column);
    if (i < 0 || record.isNull(i))
        return 0.0;
    const QVariant v = record.value(i);
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok)
        return d;
    // A number stored as text with the decimal comma.
    return suiteNumberOrZero(v.toString());
}

bool fieldIsNull(const QSqlRecord &record, const QString &column)
{
    const int i = record.indexOf(column);
    return i < 0 || record.isNull(i);
}

} // namespace qvl
