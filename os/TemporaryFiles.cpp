#include "os/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/vfs.h>
#endif
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace qvl {

namespace {

const QString kNoRoom = QStringLiteral("Auf dem Datenträger ist nicht genug Platz.");

#ifdef Q_OS_WIN
// Windows' locks are mandatory for the bytes they cover: the lock takes one byte far beyond
// any file's end, so that it says "in use" as flock does and still lets the program's own
// steps (and a colleague's viewer) read the file.
bool lockMarker(HANDLE file)
{
    OVERLAPPED at {};
    at.OffsetHigh = 0x7FFFFFFF;
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}
#endif

} // namespace

bool lockWhileWriting(int handle)
{
#ifdef Q_OS_UNIX
    return handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) == 0;
#elif defined(Q_OS_WIN)
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(handle));
    return handle >= 0 && file != INVALID_HANDLE_VALUE && lockMarker(file);
#else
    Q_UNUSED(handle);
    return false;
#endif
}

bool inUse(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the lock this test took
    return held;
#elif defined(Q_OS_WIN)
    // A writer's file: locked by its writer, or opened by a program that shares it with
    // nobody (a virus scanner, a copy in progress).
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                      GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    const bool held = !lockMarker(file) && ::GetLastError() == ERROR_LOCK_VIOLATION;
    ::CloseHandle(file); // also lets go of the lock this test took
    return held;
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool syncFileToDisk(int handle, QString *reason, bool dataOnly)
{
#ifdef Q_OS_UNIX
    if ((dataOnly ? ::fdatasync(handle) : ::fsync(handle)) == 0 || errno == EINVAL || errno == EROFS)
        return true; // EINVAL/EROFS: the file system cannot sync (a pipe, a special device)
    const int error = errno;
    if (reason)
        *reason = error == ENOSPC || error == EFBIG || error == EDQUOT ? kNoRoom
                                                                     : QString::fromLocal8Bit(std::strerror(error));
    return false;
#elif defined(Q_OS_WIN)
    Q_UNUSED(dataOnly);
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(handle));
    if (file != INVALID_HANDLE_VALUE && ::FlushFileBuffers(file))
        return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION)
        return true; // no file on a disk (a pipe, the console)
    if (reason)
        *reason = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? kNoRoom : qt_error_string(int(error));
    return false;
#else
    Q_UNUSED(handle);
    Q_UNUSED(reason);
    Q_UNUSED(dataOnly);
    return true;
#endif
}

bool isTemporaryOf(const QString &fileName, const QStringList &stems)
{
    static const QRegularExpression temporary(u"^\\.(.+)\\."_qs + QString::fromUtf16(kOwnTemporaryTag)
                                              + u"\\.[A-Za-z0-9]{6}$"_qs);
    const QRegularExpressionMatch m = temporary.match(fileName);
    if (!m.hasMatch())
        return false;
    const QString own = m.captured(1);
    for (const QString &stem : stems)
        if (QRegularExpression(QRegularExpression::anchoredPattern(stem), QRegularExpression::CaseInsensitiveOption)
                .match(own)
                .hasMatch())
            return true;
    return false;
}

QStringList removeAbandonedTemporaries(const QString &folder, const QStringList &stems)
{
    QStringList removed;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return removed;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = dir.filePath(name);
        if (isTemporaryOf(name, stems) && !inUse(path) && QFile::remove(path))
            removed.append(path);
    }
    return removed;
}

bool syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(folder);
    return true; // NTFS journals its renames
#endif
}

bool canSyncFilesTogether(const QString &folder)
{
#ifdef Q_OS_LINUX
    struct statfs fs {};
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return false;
    // ext2/3/4, XFS, Btrfs, tmpfs: syncfs reports the write-back errors since Linux 5.8.
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53UL:
    case 0x58465342UL:
    case 0x9123683EUL:
    case 0x01021994UL:
        return true;
    default:
        return false;
    }
#else
    Q_UNUSED(folder);
    return false;
#endif
}

bool syncFilesOf(const QString &folder, QString *reason)
{
#ifdef Q_OS_LINUX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const bool synced = ::syncfs(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced) {
        *reason = error == ENOSPC ? QStringLiteral("Der Datenträger ist voll.") : QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    if (syncFolder(folder))
        return true;
    *reason = QStringLiteral("Der Ordner konnte nicht auf den Datenträger geschrieben werden.");
    return false;
#else
    Q_UNUSED(folder);
    *reason = QStringLiteral("Nicht möglich auf diesem System.");
    return false;
#endif
}

} // namespace qvl
