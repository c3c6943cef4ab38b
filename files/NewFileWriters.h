#pragma once
// Writes many small new files: each through CheckedNewFile (synced to the disk, named only
// when whole, never over another file), on a few threads of their own so that the waits
// for the disk overlap while the caller prepares the next files. Within a run (its list
// given) the files stay hidden and go to the run's list, to be named after its commit.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace qvl {

class RunOutputs;

class NewFileWriters {
public:
    // `run`: the run's list the files go to; nullptr outside a run.
    explicit NewFileWriters(RunOutputs *run, int threads = 8);
    ~NewFileWriters(); // waits for the files queued
    NewFileWriters(const NewFileWriters &) = delete;
    NewFileWriters &operator=(const NewFileWriters &) = delete;

    // Queues a file; waits while many are queued. A taken name gets the next free
    // alternative, "_2" … before the last suffix ("4_17.pdf" -> "4_17_2.pdf"). False once a
    // file has failed: nothing more is written.
    bool add(const QString &path, QByteArray bytes);

    struct Result {
        QStringList names; // the names taken, in the order the files were added
        QString error;      // the first failure (a German text naming the file), or empty
        QString failedFile; // the file (or folder) it names
    };
    // Waits for every file queued.
    Result finish();

    // The name of the n-th try (n ≥ 2) for a file.
    static QString alternativeName(const QString &path, int n);

    struct Shared;

private:
    std::unique_ptr<Shared> m_shared;
};

} // namespace qvl
