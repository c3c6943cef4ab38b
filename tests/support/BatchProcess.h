#pragma once
// Runs the batch program as a child process, optionally with a limit on the size of the
// files it may write: a full disk that binds root too and needs nothing mounted.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace qvl::test {

struct BatchResult {
    int exitCode = -1;
    QString out;
    QString err;
};

struct BatchRun {
    QString workingDir;      // empty: the test's own
    long fileSizeLimit = 0;  // bytes; 0: none. Writes beyond it fail as on a full disk.
    QStringList environment; // NAME=VALUE added to the test's own
    bool keepSigxfsz = false; // the limit's signal left as the program sets it
    QStringList wrapper;     // a program the batch program runs under (strace with its options)
};

BatchResult runBatch(const QStringList &args, const BatchRun &how = {});

// The same, started and left running; finishBatch() waits for it.
std::unique_ptr<QProcess> startBatch(const QStringList &args, const BatchRun &how = {});
BatchResult finishBatch(QProcess &process);

} // namespace qvl::test
