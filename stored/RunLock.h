#pragma once
// One direct-debit run at a time per database, from any machine: a run holds the lock from
// its repeated-run check to the commit of its stored fees (on SQL Server until its bank
// file has its name), so that two clerks starting together cannot both collect. On SQL
// Server it is an application lock of the run's session; on the embedded database the
// write transaction of the run's connection (BEGIN IMMEDIATE), which is also the
// transaction the fees are written in.

#include <memory>

namespace qvl {

class Database;

class RunLock {
public:
    // How long a run waits for another one.
    static constexpr int kWaitMilliseconds = 5000;

    // Waits up to `waitMilliseconds`; throws RunError (Input) with busyMessage() when
    // another run holds the lock, DbError when the database fails.
    explicit RunLock(Database &db, int waitMilliseconds = kWaitMilliseconds);
    // The lock when it is free right now, else nullptr.
    static std::unique_ptr<RunLock> tryTake(Database &db);
    // Rolls back what was not committed and lets go of the lock.
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    // Commits the run's writes. The embedded database lets go of the lock with it.
    void commit();
    // Commits and goes on holding the lock in a new transaction (the embedded database
    // takes its write lock again at once), so that no other start finishes the run's
    // manifest while the run names its files.
    void commitAndHold();

    // After a commit that answered with an error: rolls back whatever is left open, ignoring
    // errors, and lets go of the lock, so that a connection of its own can read the outcome.
    void abandon();

    static const char16_t *busyMessage();

private:
    struct Taken {};
    RunLock(Database &db, int waitMilliseconds, Taken);
    bool take(int waitMilliseconds);

    Database &m_db;
    bool m_native = false;      // the embedded database through SQLite's own interface
    bool m_appLock = false;     // SQL Server's application lock is held
    bool m_inTransaction = false;
};

} // namespace qvl
