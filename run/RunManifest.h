#pragma once
// A run's manifest in the program's own tables: which hidden file gets which name. It is
// written in the run's transaction, with the stored fees, so that it exists exactly when
// the run is committed; it goes once every file has its name. The database's identity,
// carried in every hidden file's name, tells this database's files from another's.

#include "platform/RunOutputs.h"
#include "run/OwnTables.h"

#include <QList>
#include <QString>
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

// In the run's transaction: every output of the run.
void record(Database &db, const RunOutputs &outputs);
// Once every file has its name.
void forget(Database &db, const QString &runId);

// True while any manifest of this database is not finished.
bool hasPending(Database &db);

struct Manifest {
    QString run;
    QString machine; // that wrote the files
    QList<RunOutput> outputs;
};
// The unfinished manifests, each in the order of its files.
QList<Manifest> pending(Database &db);

} // namespace run_manifest
} // namespace qvl
