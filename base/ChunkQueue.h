#pragma once
// Hands pieces of work (the chunks of a byte stream, files to write) from one thread to
// others, holding at most a fixed number of them so that a producer faster than its
// consumers waits instead of filling the memory. A consumer that cannot go on gives up:
// what waits and what follows is dropped.

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace qvl {

template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t maxChunks) : m_max(maxChunks) {}

    // Waits while the queue is full. False when the consumer gave up (the chunk is dropped).
    bool push(T chunk)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < m_max || m_gaveUp; });
        if (m_gaveUp)
            return false;
        m_queue.push_back(std::move(chunk));
        m_changed.notify_all();
        return true;
    }

    // The producer's end of the stream.
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

    // Waits for the next chunk; nothing once the stream is closed and drained, or given up.
    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closed || m_gaveUp; });
        if (m_queue.empty() || m_gaveUp)
            return std::nullopt;
        T chunk = std::move(m_queue.front());
        m_queue.pop_front();
        m_changed.notify_all();
        return chunk;
    }

    void giveUp()
    {
        std::lock_guard lock(m_mutex);
        m_gaveUp = true;
        m_queue.clear();
        m_changed.notify_all();
    }

private:
    const std::size_t m_max;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_queue;
    bool m_closed = false;
    bool m_gaveUp = false;
};

using ChunkQueue = BoundedQueue<QByteArray>;

} // namespace qvl
