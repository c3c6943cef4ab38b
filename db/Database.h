#pragma once
// One database connection of the program (the shared one of the main form, or one that a
// run step opens for itself), over QtSql. Failures throw DbError with a German text.

#include "db/ConnectionString.h"
#include "db/RowCursor.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace qvl {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A statement in both dialects, kept side by side where a subsystem's SQL lives.
struct DialectSql {
    const char16_t *sqlServer;
    const char16_t *sqlite;
};

struct DbOptions {
    QString odbcDriver;      // empty: defaultOdbcDriver()
    QString baseDir;         // resolves a relative SQLite file
    int loginTimeoutSeconds = 30;
    bool readOnly = false;   // the embedded database opened read-only (SQLite's mode=ro)
};

class Database {
public:
    // Opens the connection; throws DbError naming server and database when it fails.
    static std::unique_ptr<Database> open(const QString &connectionString, const DbOptions &options = {});
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    SqlDialect dialect() const { return m_target.dialect; }
    const ConnectionTarget &target() const { return m_target; }
    QSqlDatabase handle() const;
    bool isOpen() const;

    QString sql(const DialectSql &statement) const;
    // SQLite's own handle of an embedded database opened through QtSql's SQLite driver,
    // for the work where QtSql's per-value cost matters; null for every other connection.
    sqlite3 *nativeSqlite() const;

    // Prepares a statement; throws DbError naming the statement on failure.
    QSqlQuery prepare(const QString &statement) const;
    // Executes a prepared query; throws DbError naming the statement on failure.
    static void exec(QSqlQuery &query);
    // Prepares, binds the values in order and executes.
    QSqlQuery run(const QString &statement, const QVariantList &values = {}) const;

    // Runs a query whose rows are read forward, cell by cell (fast for big results).
    std::unique_ptr<RowCursor> select(const QString &statement, const QVariantList &values = {}) const;

    // The rows an executed statement changed, as the server reports them; std::nullopt when
    // it reports none (SQL Server under SET NOCOUNT ON answers -1).
    std::optional<int> rowsAffected(const QSqlQuery &query) const;
    // Tests play a server that reports no row counts.
    void setRowCountsReported(bool reported) { m_rowCountsReported = reported; }

    void beginTransaction();
    void commit();
    void rollback();

private:
    Database() = default;
    QString m_connectionName;
    ConnectionTarget m_target;
    bool m_rowCountsReported = true;
};

// Rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.beginTransaction(); }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    void commit()
    {
        m_db.commit();
        m_done = true;
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

// Values read from the suite's tables are normalised: NULL or empty text gives "" for
// texts and 0 for numbers. Column names are matched case-insensitively.
QString fieldText(const QSqlRecord &record, const QString &column);
double fieldNumber(const QSqlRecord &record, const QString &column);
bool fieldIsNull(const QSqlRecord &record, const QString &column);

} // namespace qvl
