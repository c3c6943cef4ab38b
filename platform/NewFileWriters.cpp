#include "platform/NewFileWriters.h"

#include "platform/AnsiTextFile.h"
#include "platform/ChunkQueue.h"

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
    QString error;
    int added = 0;
    std::vector<std::thread> threads;

    void run()
    {
        while (std::optional<Job> job = queue.pop()) {
            CheckedNewFile file(job->path);
            QString name;
            if (file.openForWriting()) {
                file.write(job->bytes);
                name = file.commitAsNew([&job](int n) { return alternativeName(job->path, n); });
            }
            std::lock_guard lock(mutex);
            if (!name.isEmpty()) {
                names.emplace(job->index, name);
            } else if (error.isEmpty()) {
                error = file.errorText();
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
    }
};

NewFileWriters::NewFileWriters(int threads) : m_shared(std::make_unique<Shared>())
{
    for (int i = 0; i < std::max(1, threads); ++i)
        m_shared->threads.emplace_back([s = m_shared.get()] { s->run(); });
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
    Result result;
    for (const auto &[index, name] : m_shared->names)
        result.names.append(name);
    result.error = m_shared->error;
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
