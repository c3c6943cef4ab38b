#include "stored/RunLock.h"

#include "db/Database.h"
#include "core/RunError.h"
#include "stored/BankFileSql.h"

#include <sqlite3.h>

namespace qvl {

namespace {

const QString kLockName = QStringLiteral("QVL32-SEPA-Beitragslauf");

void execNative(sqlite3 *handle, const char *statement)
{
    char *error = nullptr;
    if (sqlite3_exec(handle, statement, nullptr, nullptr, &error) == SQLITE_OK)
        return;
    const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(handle));
    sqlite3_free(error);
    throw DbError(u"Die Datenbankabfrage „"_qs + QString::fromLatin1(statement) + u"“ ist fehlgeschlagen:\n"_qs + text);
}

} // namespace

const char16_t *RunLock::busyMessage()
{
    return u"Ein anderer Beitragslauf auf dieser Datenbank ist noch nicht abgeschlossen. Bitte warten Sie, bis er "
           u"beendet ist.";
}

RunLock::RunLock(Database &db, int waitMilliseconds) : m_db(db)
{
    if (!take(waitMilliseconds))
        throw RunError(RunError::Kind::Input, QString::fromUtf16(busyMessage()));
}

RunLock::RunLock(Database &db, int waitMilliseconds, Taken) : m_db(db)
{
    take(waitMilliseconds);
}

std::unique_ptr<RunLock> RunLock::tryTake(Database &db)
{
    std::unique_ptr<RunLock> lock(new RunLock(db, 0, Taken{}));
    if (!lock->m_inTransaction)
        return nullptr;
    return lock;
}

bool RunLock::take(int waitMilliseconds)
{
    if (sqlite3 *handle = m_db.nativeSqlite()) {
        m_native = true;
        sqlite3_busy_timeout(handle, waitMilliseconds);
        const int rc = sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        // Other writers of the program's own wait as long as before.
        sqlite3_busy_timeout(handle, kWaitMilliseconds);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            return false;
        if (rc != SQLITE_OK)
            execNative(handle, "BEGIN IMMEDIATE"); // throws with SQLite's text
        m_inTransaction = true;
        return true;
    }
    if (m_db.dialect() == SqlDialect::SqlServer) {
        m_db.run(m_db.sql(bank_file_sql::kTakeRunLock), {kLockName, waitMilliseconds});
        QSqlQuery mode = m_db.run(m_db.sql(bank_file_sql::kRunLockMode), {kLockName});
        if (!mode.next() || mode.value(0).toString() != u"Exclusive"_qs)
            return false;
        m_appLock = true;
    }
    m_db.beginTransaction();
    m_inTransaction = true;
    return true;
}

RunLock::~RunLock()
{
    abandon();
}

void RunLock::abandon()
{
    try {
        if (m_inTransaction) {
            if (m_native)
                sqlite3_exec(m_db.nativeSqlite(), "ROLLBACK", nullptr, nullptr, nullptr);
            else
                m_db.rollback();
        }
        m_inTransaction = false;
        if (m_appLock) {
            m_appLock = false;
            m_db.run(m_db.sql(bank_file_sql::kReleaseRunLock), {kLockName});
        }
    } catch (const DbError &) {
        // The connection is gone: the server let go of the session's lock with it.
    }
}

void RunLock::commit()
{
    if (m_native)
        execNative(m_db.nativeSqlite(), "COMMIT");
    else
        m_db.commit();
    m_inTransaction = false;
}

void RunLock::commitAndHold()
{
    commit();
    if (m_native) {
        m_inTransaction = sqlite3_exec(m_db.nativeSqlite(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        return;
    }
    m_db.beginTransaction();
    m_inTransaction = true;
}

} // namespace qvl
