#include "platform/BackgroundWriter.h"

namespace qvl {

namespace {
constexpr qsizetype kChunkBytes = 1 << 20;
constexpr std::size_t kMaxQueued = 32; // chunks, so at most about 32 MB wait in memory
} // namespace

BackgroundWriter::BackgroundWriter(QIODevice &device)
    : m_device(device), m_thread([this] { run(); })
{
    m_chunk.reserve(kChunkBytes + 4096);
}

BackgroundWriter::~BackgroundWriter()
{
    finish(nullptr);
}

void BackgroundWriter::write(const QByteArray &bytes)
{
    m_chunk += bytes;
    if (m_chunk.size() >= kChunkBytes)
        flushChunk();
}

void BackgroundWriter::flushChunk()
{
    if (m_chunk.isEmpty())
        return;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued || m_failed; });
    if (!m_failed)
        m_queue.push_back(std::move(m_chunk));
    m_chunk = QByteArray();
    m_chunk.reserve(kChunkBytes + 4096);
    m_changed.notify_all();
}

bool BackgroundWriter::finish(QString *error)
{
    if (m_thread.joinable()) {
        flushChunk();
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (error)
        *error = m_error;
    return !m_failed;
}

void BackgroundWriter::run()
{
    for (;;) {
        QByteArray bytes;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing; });
            if (m_queue.empty())
                return;
            bytes = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_changed.notify_all();
        if (m_device.write(bytes) != bytes.size()) {
            std::lock_guard lock(m_mutex);
            m_failed = true;
            m_error = m_device.errorString();
            m_queue.clear();
        }
    }
}

} // namespace qvl
