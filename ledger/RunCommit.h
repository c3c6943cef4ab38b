#pragma once
// The commit point of a run: every output is written and hidden, the stored fees wait in the
// run lock's transaction. The manifest of the outputs joins them, one commit makes both
// lasting, and only then does each file get its name. Before the commit any failure leaves
// nothing (the transaction is rolled back, the outputs' list removes its hidden files);
// after it the files are certain to get their names, at the latest at the next start.
//
// An error from the commit itself is no proof that nothing was committed: SQL Server may
// have committed before the connection dropped, and SQLite reports an I/O error of the
// folder sync after its journal is gone although the commit is on the disk. So an error
// there deletes nothing: the run reads its manifest back on a connection of its own and
// names the files when it is there, removes them when it is not, and leaves them for the
// next start when the database cannot be read.

#include "files/RunOutputs.h"

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

namespace qvl {

class Database;
class RunLock;

// The commit's outcome is unknown (the answer lost, the database not readable afterwards).
// Nothing was deleted; the next start reads the manifest and names the files or removes them.
struct UncertainCommit : std::runtime_error {
    explicit UncertainCommit(const QString &why) : std::runtime_error(why.toStdString()), reason(why) {}
    QString reason;
};

// The commit reported an error, yet the manifest read back shows that it is lasting: the
// files were named (`naming`), the fees are stored.
struct CommitErrorButStored : std::runtime_error {
    CommitErrorButStored(const QString &why, NamingResult named)
        : std::runtime_error(why.toStdString()), reason(why), naming(std::move(named))
    {
    }
    QString reason;
    NamingResult naming;
};

// A connection of its own to the run's database, to read the manifest back.
using Reconnect = std::function<std::unique_ptr<Database>()>;

// Records the manifest, commits, names the files in order and forgets the manifest. After a
// commit that answered with an error: throws DbError when the read-back shows that nothing
// was committed (the hidden files are removed), CommitErrorButStored when it shows the
// commit (the files are named), UncertainCommit when it cannot tell. The returned problems
// are files that keep their hidden name until the next start.
NamingResult commitRun(Database &db, RunLock &lock, RunOutputs &outputs, const Reconnect &reconnect);

// The German text of an uncertain commit.
QString uncertainCommitMessage(const UncertainCommit &uncertain);
// The German text of a commit that reported an error although it is stored.
QString storedDespiteErrorMessage(const CommitErrorButStored &stored);

} // namespace qvl
