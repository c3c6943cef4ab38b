#include "files/NewFileWriters.h"

#include "files/AnsiTextFile.h"
#include "base/ChunkQueue.h"
#include "base/FaultPoints.h"
#include "base/InternalError.h"
#include "files/RunOutputs.h"
#include "os/TemporaryFiles.h"

#include <QFileInfo>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace qvl {

namespace {

constexpr std::size_t kMaxQueued = 64;

struct Job {
    int index = 0;
    QString path;
    QByteArray bytes;
};

} // namespace

struct NewFileWriters::Shared {
    BoundedQueue<Job> queue{kMaxQueued};
    std::mutex mutex; // guards names and error
    std::map<int, QString> names;
    std::map<int, QString> targets; // within a run: the names meant for the hidden files
    QString error;
    QString failedFile;
    RunOutputs *outputs = nullptr; // the run the files belong to, if any
    QString tag;
    bool handedOver = false;
    int added = 0;
    std::vector<std::thread> threads;
    ThreadFailure failure; // what ended a writer thread, thrown by finish()
    // Within a run, the folders whose files are synced together when all are written: one
    // sync of the file system instead of two per file.
    std::map<QString, bool> together;

    bool syncTogether(const QString &path)
    {
        if (!outputs)
            return false;
        const QString folder = QFileInfo(path).absolutePath();
        std::lock_guard lock(mutex);
        const auto known = together.find(folder);
        if (known != together.end())
            return known->second;
        return together.emplace(folder, canSyncFilesTogether(folder)).first->second;
    }

    void run()
    {
        while (std::optional<Job> job = queue.pop()) {
            faultPoint("neue-datei");
            CheckedNewFile file(job->path, tag);
            QString name;
            if (file.openForWriting()) {
                file.write(job->bytes);
                if (!outputs) {
                    name = file.commitAsNew([&job](int n) { return alternativeName(job->path, n); });
                } else if (syncTogether(job->path) ? file.finishUnsynced() : file.finishUnnamed()) {
                    file.keep(); // the run's list removes it when the run does not commit
                    name = file.fileName();
                }
            }
            std::lock_guard lock(mutex);
            if (!name.isEmpty()) {
                names.emplace(job->index, name);
                if (outputs)
                    targets.emplace(job->index, job->path);
            } else if (error.isEmpty()) {
                error = file.errorText();
                failedFile = job->path;
                queue.giveUp();
            }
        }
    }

    void stop()
    {
        queue.close();
        for (std::thread &t : threads)
            if (t.joinable())
                t.join();
        // Within a run the hidden files go to its list, in the order they were added; each
        // gets the name it will be given.
        if (!outputs || handedOver)
            return;
        handedOver = true;
        for (const auto &[folder, synced] : together) {
            QString reason;
            if (synced && !names.empty() && !syncFilesOf(folder, &reason) && error.isEmpty()) {
                error = fileWriteError(folder, reason);
                failedFile = folder;
            }
        }
        for (auto &[index, name] : names)
            name = outputs->add(name, targets.at(index), Naming::NextFree);
    }
};

NewFileWriters::NewFileWriters(RunOutputs *run, int threads) : m_shared(std::make_unique<Shared>())
{
    m_shared->outputs = run;
    m_shared->tag = run ? run->tag() : QString();
    for (int i = 0; i < std::max(1, threads); ++i)
        m_shared->threads.emplace_back([s = m_shared.get()] {
            s->failure.guard([s] { s->run(); });
            if (s->failure.failed())
                s->queue.giveUp();
        });
}

NewFileWriters::~NewFileWriters()
{
    m_shared->stop();
}

bool NewFileWriters::add(const QString &path, QByteArray bytes)
{
    return m_shared->queue.push(Job{m_shared->added++, path, std::move(bytes)});
}

NewFileWriters::Result NewFileWriters::finish()
{
    m_shared->stop();
    m_shared->failure.rethrow();
    Result result;
    for (const auto &[index, name] : m_shared->names)
        result.names.append(name);
    result.error = m_shared->error;
    result.failedFile = m_shared->failedFile;
    return result;
}

QString NewFileWriters::alternativeName(const QString &path, int n)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.chopped(suffix.size() + 1);
    return stem + u'_' + QString::number(n) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

} // namespace qvl
