#pragma once
// Bank files between the commit of their fees and their name. A direct-debit run records
// its finished, still hidden bank file in the program's own table QVL32_SEPA_DATEIEN in the
// same transaction as the fees, names the file, then forgets the record. Whatever stops a
// run in between, the next start (of either program, and every run) finishes its work:
// a hidden bank file whose fees are stored gets its name, one whose fees are not stored is
// deleted. So a bank file exists exactly when its debits are stored.

#include <QString>
#include <QStringList>

namespace qvl {

class Clock;
class Database;

namespace bank_files {

// In the run's transaction: the hidden file and the name meant for it.
void recordPending(Database &db, const QString &temporaryPath, const QString &target);
// After the file has its name.
void forget(Database &db, const QString &temporaryPath);

// Whether a file name is a hidden bank file of a run ("." + "MB_…xml" + ".XXXXXX").
bool isHiddenBankFile(const QString &fileName);

struct Recovery {
    QStringList named;   // bank files given their name: their fees were stored
    QStringList deleted; // hidden bank files deleted: their fees were not stored
    bool busy = false;   // another run works on the database: nothing was done
};

// Takes the run lock and finishes what interrupted runs left: the records of the table,
// then the hidden bank files in `exportDir`. Without a wait it does nothing while another
// run holds the lock (`busy`); with one it waits as a run does and throws RunError (Input)
// when the lock stays taken. Throws DbError.
Recovery finishInterruptedRuns(Database &db, const QString &exportDir, int waitMilliseconds = 0);

// Whether a bank file still waits for its name (any row of the table). While one does, no
// run may start and no stored run be deleted. Throws DbError.
bool hasPending(Database &db);

// Why a run or a deletion is refused while a bank file is pending.
QString pendingRefusal();

// The German messages of a recovery, one per file.
QStringList messages(const Recovery &recovery);

} // namespace bank_files
} // namespace qvl
