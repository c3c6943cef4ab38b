#pragma once
// A run's manifest in the program's own tables: which hidden file gets which name. It is
// written in the run's transaction, with the stored fees, so that it exists exactly when
// the run is committed; it goes once every file has its name. The database's identity,
// carried in every hidden file's name, tells this database's files from another's.

#include "files/RunOutputs.h"
#include "ledger/OwnTables.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

class Database;

namespace run_manifest {

// The tables, for the list of the program's own tables.
QList<OwnTable> ownTables();

// The database's identity; std::nullopt when none was made yet. Throws DbError.
std::optional<QString> databaseId(Database &db);
// The same, made now when there is none.
QString ensureDatabaseId(Database &db);

// The identity after a look at where the embedded database's file is: a file that is a copy
// of the one the identity was made for (another file number) takes an identity of its own
// now and keeps the old one as copied from, so that the runs of the original are never
// taken for its own. Records the place when none is recorded yet. `copiedFrom` holds every
// earlier identity. Nothing changes where the place cannot be told (SQL Server) or the
// program's tables are missing. Throws DbError.
struct Identity {
    QString id;            // empty: none yet
    QStringList copiedFrom;
    bool becameCopy = false; // made just now
};
Identity settleIdentity(Database &db);

// Before the run's first file, committed on its own: the run began here. Only a run this
// database began may have its hidden files deleted.
void recordStart(Database &db, const QString &runId, const QString &databaseId, const QString &folder);
// The runs of this identity that began and are not done with.
QSet<QString> startedRuns(Database &db, const QString &databaseId);
// A run whose files are gone (deleted before any commit).
void forgetStart(Database &db, const QString &runId);

// In the run's transaction: every output of the run.
void record(Database &db, const RunOutputs &outputs);
// Whether the run's manifest is in the database: read back when the answer to its commit
// was an error, it tells whether the commit is lasting.
bool isRecorded(Database &db, const QString &runId);
// Once every file has its name; the run's start goes with it.
void forget(Database &db, const QString &runId);

// True while any manifest of this database is not finished.
bool hasPending(Database &db);

struct Manifest {
    QString run;
    QString machine; // that wrote the files
    QList<RunOutput> outputs;
    QDate day;       // of the commit
};
// The unfinished manifests, each in the order of its files.
QList<Manifest> pending(Database &db);

} // namespace run_manifest
} // namespace qvl
