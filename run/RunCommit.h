#pragma once
// The commit point of a run: every output is written and hidden, the stored fees wait in the
// run lock's transaction. The manifest of the outputs joins them, one commit makes both
// lasting, and only then does each file get its name. Before the commit any failure leaves
// nothing (the transaction is rolled back, the outputs' list removes its hidden files);
// after it the files are certain to get their names, at the latest at the next start.

#include "platform/RunOutputs.h"

#include <QString>
#include <stdexcept>

namespace qvl {

class Database;
class RunLock;

// The commit's answer was lost (the connection dropped): it may have committed. Nothing
// was deleted; the next start reads the manifest and names the files or removes them.
struct UncertainCommit : std::runtime_error {
    explicit UncertainCommit(const QString &why) : std::runtime_error(why.toStdString()), reason(why) {}
    QString reason;
};

// Records the manifest, commits, names the files in order and forgets the manifest. Throws
// DbError when the commit surely failed, UncertainCommit when its outcome is unknown.
// The returned problems are files that keep their hidden name until the next start.
NamingResult commitRun(Database &db, RunLock &lock, RunOutputs &outputs);

// The German text of an uncertain commit.
QString uncertainCommitMessage(const UncertainCommit &uncertain);

} // namespace qvl
