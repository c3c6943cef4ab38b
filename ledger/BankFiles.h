#pragma once
// What interrupted runs left: the hidden files of a run between its writing and its names.
// A run records the manifest of its hidden files in the same commit as its fees (see
// ledger/RunCommit.h), names the files, then forgets the manifest. Whatever stops a run in
// between, the next start (of either program, and every run) finishes its work: a manifest
// whose run committed gets every file named, in order, without replacing anything; a
// hidden file of a run this database began and never committed is deleted. Hidden files
// carry the identity of their database and run in their names, so a start on another
// database never touches them, and they are found by that identity, not by the path a desk
// wrote. A file whose run this database did not begin (a copy of the database, a restored
// backup) is left alone and named.

#include <QString>
#include <QStringList>

namespace qvl {

class Database;

namespace bank_files {

// True while any manifest of this database is not finished (a run's files wait for their
// names). Throws DbError.
bool hasPending(Database &db);

struct Recovery {
    QStringList named;    // files given their name: their run was committed
    QStringList deleted;  // hidden files deleted: their run was never committed
    QStringList besideLater; // reports named with their run's day: a later run has their names
    QStringList missing;  // files of a committed run found neither hidden nor named
    QStringList foreign;  // hidden files of a run this database never began: left alone
    QStringList problems; // German texts: files that could not be named or found from here
    bool busy = false;    // another run works on the database: nothing was done
};

// Takes the run lock and finishes what interrupted runs left, looking for hidden files in
// `folders` (this desk's export, report, e-invoice and accounting folders) beside the paths
// the manifests name. Without a wait it does nothing while another run holds the lock
// (`busy`); with one it waits as a run does and throws RunError (Input) when the lock stays
// taken. Throws DbError.
Recovery finishInterruptedRuns(Database &db, const QStringList &folders, int waitMilliseconds = 0);

// Why a run or a deletion is refused while a run's files wait for their names.
QString pendingRefusal();

// What a start that writes nothing (the batch command check) would find to finish: one
// German text, empty when there is nothing. Throws DbError.
QString pendingNotice(Database &db, const QStringList &folders);

// The German messages of a recovery.
QStringList messages(const Recovery &recovery);

} // namespace bank_files
} // namespace qvl
