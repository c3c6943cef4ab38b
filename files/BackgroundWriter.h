#pragma once
// Writes a big file on a thread of its own while the caller goes on preparing the next
// bytes (a SEPA file of a hundred thousand debits while the database records the fees).
// The device is touched only by the writer thread until finish() returns.

#include "base/ChunkQueue.h"
#include "base/InternalError.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <thread>
#include <utility>

namespace qvl {

class BackgroundWriter {
public:
    // Small writes are collected into chunks of this size before they go to the thread.
    static constexpr qsizetype kChunkBytes = 1 << 20;

    explicit BackgroundWriter(QIODevice &device);
    ~BackgroundWriter(); // waits for the thread; pending bytes are still written
    BackgroundWriter(const BackgroundWriter &) = delete;
    BackgroundWriter &operator=(const BackgroundWriter &) = delete;

    // Queues bytes; waits while too much is queued. After a failed write further bytes
    // are dropped. A whole chunk is queued as it is, without a copy.
    void write(const QByteArray &bytes);
    // Writes what is queued and stops the thread. False with the device's error text
    // when any write failed; throws on what ended the thread otherwise.
    bool finish(QString *error);

private:
    void flushChunk();
    void run();

    QIODevice &m_device;
    QByteArray m_chunk; // collects small writes into bigger ones
    ChunkQueue m_queue;
    bool m_failed = false; // written by the thread, read after it ended
    QString m_error;
    ThreadFailure m_failure;
    std::thread m_thread;
};

} // namespace qvl
