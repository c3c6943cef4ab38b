#include "sepa/SepaFile.h"

#include "files/BackgroundWriter.h"
#include "core/RunError.h"

#include <future>
#include <utility>

namespace qvl {

QString sepaWriteError(const QString &file, const QString &reason)
{
    return u"Fehler beim Schreiben der XML Datei "_qs + file + u" \r"_qs + reason;
}

SepaFile::SepaFile(const QString &path, SepaFormat format, const QString &tag)
    : m_path(path), m_file(std::make_unique<CheckedNewFile>(path, tag)), m_validator(format)
{
    if (!m_file->openForWriting())
        throw WriteError(m_path, sepaWriteError(m_path, m_file->reason()));
    m_writer = std::make_unique<BackgroundWriter>(*m_file);
    m_chunk.reserve(BackgroundWriter::kChunkBytes + 8192);
}

SepaFile::~SepaFile()
{
    m_writer.reset(); // the writer thread lets go of the file first; an uncommitted
                      // temporary file goes with m_file
}

void SepaFile::write(const QByteArray &bytes)
{
    m_chunk += bytes;
    if (m_chunk.size() >= BackgroundWriter::kChunkBytes)
        handOn();
}

// Both threads get the same chunk; it is shared, not copied.
void SepaFile::handOn()
{
    throwIfInvalid();
    if (m_chunk.isEmpty())
        return;
    const QByteArray chunk = std::exchange(m_chunk, QByteArray());
    m_writer->write(chunk);
    m_validator.feed(chunk);
    m_chunk.reserve(BackgroundWriter::kChunkBytes + 8192);
}

void SepaFile::throwIfInvalid()
{
    if (m_validator.failed())
        throw InvalidSepaFile{m_validator.finish().value_or(SepaSchemaError{})};
}

void SepaFile::finish()
{
    handOn();
    QString error;
    if (!m_writer->finish(&error))
        throw WriteError(m_path, sepaWriteError(m_path, error));
    // The bytes go to the disk while the validator reads its last chunks; the file keeps
    // its hidden name either way, so an invalid document still leaves nothing behind.
    std::future<bool> onDisk = std::async(std::launch::async, [this] { return m_file->finishUnnamed(); });
    std::optional<SepaSchemaError> invalid;
    try {
        invalid = m_validator.finish();
    } catch (...) {
        onDisk.wait();
        throw;
    }
    const bool synced = onDisk.get();
    if (invalid)
        throw InvalidSepaFile{*invalid};
    if (!synced)
        throw WriteError(m_path, sepaWriteError(m_path, m_file->reason()));
}

std::unique_ptr<CheckedNewFile> SepaFile::release()
{
    m_writer.reset();
    return std::move(m_file);
}

void SepaFile::publish()
{
    const QString base = m_path.endsWith(u".xml"_qs) ? m_path.chopped(4) : m_path;
    const QString taken = m_file->commitAsNew([&base](int n) { return base + u'_' + QString::number(n) + u".xml"_qs; });
    if (taken.isEmpty())
        throw WriteError(m_path, sepaWriteError(m_path, m_file->reason()));
    m_path = taken;
}

void SepaFile::commit()
{
    finish();
    publish();
}

} // namespace qvl
