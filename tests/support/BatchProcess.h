#pragma once
// Runs the batch program as a child process, optionally with a limit on the size of the
// files it may write: a full disk that binds root too and needs nothing mounted.

#include <QString>
#include <QStringList>

namespace qvl::test {

struct BatchResult {
    int exitCode = -1;
    QString out;
    QString err;
};

struct BatchRun {
    QString workingDir;      // empty: the test's own
    long fileSizeLimit = 0;  // bytes; 0: none. Writes beyond it fail as on a full disk.
    QStringList environment = {}; // "NAME=VALUE" set on top of the test's own environment
};

BatchResult runBatch(const QStringList &args, const BatchRun &how = {});

} // namespace qvl::test
