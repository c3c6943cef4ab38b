#include "files/BackgroundWriter.h"

#include "base/FaultPoints.h"

namespace qvl {

namespace {
constexpr std::size_t kMaxQueued = 8; // chunks, so at most about 8 MB wait in memory
} // namespace

BackgroundWriter::BackgroundWriter(QIODevice &device)
    : m_device(device), m_queue(kMaxQueued), m_thread([this] {
          m_failure.guard([this] { run(); });
          if (m_failure.failed()) {
              m_failed = true;
              m_queue.giveUp();
          }
      })
{
}

BackgroundWriter::~BackgroundWriter()
{
    // Only waits: what ended the thread was thrown by finish(), or is of no use any more.
    if (m_thread.joinable()) {
        flushChunk();
        m_queue.close();
        m_thread.join();
    }
}

void BackgroundWriter::write(const QByteArray &bytes)
{
    if (m_chunk.isEmpty() && bytes.size() >= kChunkBytes) {
        m_queue.push(bytes);
        return;
    }
    if (m_chunk.isEmpty())
        m_chunk.reserve(kChunkBytes + 4096);
    m_chunk += bytes;
    if (m_chunk.size() >= kChunkBytes)
        flushChunk();
}

void BackgroundWriter::flushChunk()
{
    if (!m_chunk.isEmpty())
        m_queue.push(std::exchange(m_chunk, QByteArray()));
}

bool BackgroundWriter::finish(QString *error)
{
    if (m_thread.joinable()) {
        flushChunk();
        m_queue.close();
        m_thread.join();
    }
    m_failure.rethrow();
    if (error)
        *error = m_error;
    return !m_failed;
}

void BackgroundWriter::run()
{
    while (const std::optional<QByteArray> bytes = m_queue.pop()) {
        faultPoint("datei-im-hintergrund");
        // A full disk first takes part of a write without an error; the next write names it.
        for (qint64 done = 0; done < bytes->size();) {
            const qint64 n = m_device.write(bytes->constData() + done, bytes->size() - done);
            if (n <= 0) {
                m_failed = true;
                m_error = m_device.errorString();
                m_queue.giveUp();
                return;
            }
            done += n;
        }
    }
}

} // namespace qvl
