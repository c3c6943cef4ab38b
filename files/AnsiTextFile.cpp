#include "files/AnsiTextFile.h"

#include "text/Cp1252.h"
#include "files/RunOutputs.h"
#include "os/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>


namespace qvl {

namespace {

// A write that stopped short without an error of its own: the disk is full or the file
// may not grow further.
const QString kNoRoom = QStringLiteral("Auf dem Datenträger ist nicht genug Platz.");

bool noRoom(int error)
{
#ifdef Q_OS_UNIX
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
#else
    return error == ENOSPC;
#endif
}

QString reasonOr(const QString &reason, const QString &fallback)
{
    return reason.trimmed().isEmpty() ? fallback : reason;
}

// Writes everything or fails: a short write (the disk full) is repeated, so the next call
// reports why it stopped. `failed` gets the reason, empty when the device has its own.
qint64 writeAll(const char *data, qint64 len, const std::function<qint64(const char *, qint64)> &write,
                const std::function<void(const QString &)> &failed)
{
    qint64 done = 0;
    while (done < len) {
        errno = 0;
        const qint64 n = write(data + done, len - done);
        if (n <= 0) {
            failed(noRoom(errno) ? kNoRoom : QString());
            return -1;
        }
        done += n;
    }
    return done;
}

} // namespace

QByteArray ansiBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encodeCp1252(line);
        bytes += "\r\n";
    }
    return bytes;
}

TextEncoding detectTextEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8WithBom;
    // Valid UTF-8: each lead byte followed by as many continuation bytes as it announces,
    // no overlong forms, no surrogates, nothing beyond U+10FFFF.
    bool nonAscii = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar c = uchar(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int more = 0;
        char32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return TextEncoding::Cp1252;
        }
        if (i + more >= n)
            return TextEncoding::Cp1252;
        for (int k = 1; k <= more; ++k) {
            const uchar next = uchar(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return TextEncoding::Cp1252;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlongOrSurrogate = more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF));
        if (overlongOrSurrogate || (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return TextEncoding::Cp1252;
        i += 1 + more;
    }
    return nonAscii ? TextEncoding::Utf8 : TextEncoding::Cp1252;
}

QByteArray textBytes(const QStringList &lines, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp1252)
        return ansiBytes(lines);
    QByteArray bytes = encoding == TextEncoding::Utf8WithBom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QString fileWriteError(const QString &path, const QString &reason)
{
    return u"Die Datei „"_qs + QDir::toNativeSeparators(path) + u"“ konnte nicht geschrieben werden: "_qs
           + reasonOr(reason, kNoRoom);
}

template <typename File>
bool CheckedFile<File>::openForWriting()
{
    if (File::open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // Tells the next start of the program that this temporary file is not abandoned.
        lockWhileWriting(File::handle());
        return true;
    }
    fail(File::errorString());
    return false;
}

template <typename File>
qint64 CheckedFile<File>::writeData(const char *data, qint64 len)
{
    if (!m_error.isEmpty())
        return -1;
    return writeAll(data, len, [this](const char *d, qint64 n) { return File::writeData(d, n); },
                    [this](const QString &reason) { fail(reason.isEmpty() ? File::errorString() : reason); });
}

template <typename File>
void CheckedFile<File>::fail(const QString &reason)
{
    if (m_error.isEmpty()) {
        m_error = fileWriteError(m_path, reason);
        m_reason = reasonOr(reason, kNoRoom);
    }
    File::setErrorString(m_reason); // for writers that report the device's own text
}

template <typename File>
bool CheckedFile<File>::reachedDisk()
{
    if (!m_error.isEmpty() || !File::isOpen()) {
        fail(QStringLiteral("Die Datei wurde nicht geöffnet."));
        return false;
    }
    QString reason;
    if (File::flush() && syncFileToDisk(File::handle(), &reason))
        return true;
    fail(reason.isEmpty() ? File::errorString() : reason);
    return false;
}

template class CheckedFile<QSaveFile>;
template class CheckedFile<QTemporaryFile>;

CheckedSaveFile::CheckedSaveFile(const QString &path) : CheckedFile(path, path)
{
    // Never fall back to writing the file in place: a failure must leave the old one.
    setDirectWriteFallback(false);
}

CheckedSaveFile::~CheckedSaveFile()
{
    if (isOpen())
        cancelWriting();
}

void CheckedSaveFile::fail(const QString &reason)
{
    CheckedFile::fail(reason);
    if (isOpen())
        cancelWriting();
}

bool CheckedSaveFile::commitWhole()
{
    if (!reachedDisk()) {
        if (isOpen())
            commit(); // after cancelWriting(): removes the temporary file
        return false;
    }
    if (commit())
        return true;
    m_reason = reasonOr(errorString(), kNoRoom);
    m_error = fileWriteError(m_path, m_reason);
    return false;
}

CheckedNewFile::CheckedNewFile(const QString &path, const QString &tag)
    : CheckedFile(path, QFileInfo(path).absolutePath() + u"/."_qs + QFileInfo(path).fileName()
                            + u'.' + (tag.isEmpty() ? QString::fromUtf16(kOwnTemporaryTag) : tag) + u".XXXXXX"_qs)
{
}

QString CheckedNewFile::commitAsNew(const std::function<QString(int)> &alternative)
{
    if (!finishUnnamed())
        return {};
    for (int n = 1; n <= 999; ++n) {
        switch (publishAs(n == 1 ? m_path : alternative(n))) {
        case Publish::Done:
            return fileName();
        case Publish::Taken:
            continue;
        case Publish::Failed:
            return {};
        }
    }
    fail(QStringLiteral("Es gibt keinen freien Dateinamen mehr."));
    return {};
}

bool CheckedNewFile::finishUnnamed()
{
    if (!reachedDisk())
        return false;
    // The temporary name must be on the disk too before anything is recorded about it.
    if (syncFolder(QFileInfo(fileName()).absolutePath()))
        return true;
    fail(QStringLiteral("Der Ordner konnte nicht auf den Datenträger geschrieben werden."));
    return false;
}

bool CheckedNewFile::finishUnsynced()
{
    if (!m_error.isEmpty() || !isOpen()) {
        fail(QStringLiteral("Die Datei wurde nicht geöffnet."));
        return false;
    }
    if (flush())
        return true;
    fail(errorString());
    return false;
}

CheckedNewFile::Publish CheckedNewFile::publishAs(const QString &name)
{
    if (QFileInfo::exists(name))
        return Publish::Taken;
    // A temporary file is private to its owner; the final file gets the permissions of any
    // new file.
    setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                   | QFileDevice::ReadOther);
    // Qt renames a temporary file without replacing the target (renameat2 with
    // RENAME_NOREPLACE, or link and unlink; MoveFileEx without REPLACE_EXISTING).
    if (rename(name)) {
        setAutoRemove(false);
        syncFolder(QFileInfo(name).absolutePath());
        return Publish::Done;
    }
    if (QFileInfo::exists(name)) // taken by another program in the meantime
        return Publish::Taken;
    fail(errorString());
    return Publish::Failed;
}

bool CheckedNewFile::unpublish(const QString &temporaryName)
{
    if (!rename(temporaryName))
        return false;
    setAutoRemove(true);
    return true;
}

namespace {

std::optional<QByteArray> fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QStringList linesOf(QString text)
{
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    if (text.isEmpty())
        return QStringList();
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

} // namespace

std::optional<QStringList> readAnsiLines(const QString &path)
{
    const std::optional<QByteArray> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    return linesOf(decodeCp1252(*bytes));
}

std::optional<DecodedText> readTextLines(const QString &path)
{
    const std::optional<QByteArray> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    DecodedText out;
    out.encoding = detectTextEncoding(*bytes);
    switch (out.encoding) {
    case TextEncoding::Cp1252:
        out.lines = linesOf(decodeCp1252(*bytes));
        break;
    case TextEncoding::Utf8:
        out.lines = linesOf(QString::fromUtf8(*bytes));
        break;
    case TextEncoding::Utf8WithBom:
        out.lines = linesOf(QString::fromUtf8(bytes->mid(3)));
        break;
    }
    return out;
}

bool appendAnsiLines(const QString &path, const QStringList &lines, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = fileWriteError(path, file.errorString());
        return false;
    }
    const qint64 oldSize = file.size();
    const QByteArray bytes = ansiBytes(lines);
    qint64 done = 0;
    errno = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == bytes.size())
        return true;
    const int cause = errno;
    if (error)
        *error = fileWriteError(path, noRoom(cause) ? kNoRoom : file.errorString());
    file.resize(oldSize); // no half line is left behind
    return false;
}

namespace {

bool writeReplacing(RunOutputs *run, const QString &path, const QByteArray &bytes, QString *error)
{
    return writeReplacingFile(
        run, path, [&bytes](QIODevice &file, QString *) { return file.write(bytes) >= 0; }, error);
}

} // namespace

bool writeAnsiFileAtomically(RunOutputs *run, const QString &path, const QStringList &lines, QString *error)
{
    return writeReplacing(run, path, textBytes(lines, TextEncoding::Cp1252), error);
}

bool writeTextFileAtomically(const QString &path, const QStringList &lines, TextEncoding encoding, QString *error)
{
    return writeReplacing(nullptr, path, textBytes(lines, encoding), error);
}

} // namespace qvl
