#include "platform/TemporaryFiles.h"

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

namespace qvl {

bool lockWhileWriting(int handle)
{
#ifdef Q_OS_UNIX
    return handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) == 0;
#else
    // Windows keeps a file that another program has open from being deleted anyway.
    Q_UNUSED(handle);
    return true;
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
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return file.exists();
    return false;
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
