#include "os/FileNaming.h"

#include "base/FaultPoints.h"
#include "os/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qvl {

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void syncParent(const QString &path)
{
    syncFolder(QFileInfo(path).absolutePath());
}

// The tests' stand-in for a file held by another program.
bool refusedForTests(QString *reason)
{
    if (!faultFails("umbenennen"))
        return false;
    if (reason)
        *reason = errorText(EBUSY);
    return true;
}

#ifdef Q_OS_UNIX
bool sameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat sa {}, sb {};
    return ::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}

// A hidden file is private to its writer; under its name it gets the permissions of any
// new file, so that the clerk's colleagues and the accountant can read it from a share.
void makeReadable(const QByteArray &path)
{
    ::chmod(path.constData(), 0644);
}

int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#if defined(SYS_renameat2)
    return int(::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 1 /*NOREPLACE*/));
#else
    errno = ENOSYS;
    return -1;
#endif
}
#endif

#ifdef Q_OS_WIN
BOOL moveFile(const QString &from, const QString &to, DWORD flags)
{
    const QString source = QDir::toNativeSeparators(from);
    const QString target = QDir::toNativeSeparators(to);
    return ::MoveFileExW(reinterpret_cast<const wchar_t *>(source.utf16()),
                         reinterpret_cast<const wchar_t *>(target.utf16()), flags);
}
#endif

} // namespace

Renamed renameWithoutReplacing(const QString &from, const QString &to, QString *reason, FolderSync sync)
{
    const auto syncParent = [sync](const QString &path) {
        if (sync == FolderSync::Now)
            qvl::syncParent(path);
    };
    if (refusedForTests(reason))
        return Renamed::Failed;
#ifdef Q_OS_UNIX
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    makeReadable(src);
    if (renameNoReplace(src, dst) == 0) {
        syncParent(to);
        return Renamed::Done;
    }
    int error = errno;
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
        // No RENAME_NOREPLACE here: a second name, then the first one goes. Whoever loses a
        // race for the source takes its own second name back, so one name remains.
        if (::link(src.constData(), dst.constData()) == 0) {
            if (::unlink(src.constData()) == 0 || errno != ENOENT) {
                syncParent(to);
                return Renamed::Done;
            }
            ::unlink(dst.constData());
            return Renamed::SourceGone;
        }
        error = errno;
    }
    if (error == EEXIST) {
        if (sameFile(src, dst)) { // a link whose unlink was cut short
            ::unlink(src.constData());
            syncParent(to);
            return Renamed::Done;
        }
        return ::access(src.constData(), F_OK) == 0 ? Renamed::Taken : Renamed::SourceGone;
    }
    if (error == ENOENT && ::access(src.constData(), F_OK) != 0)
        return Renamed::SourceGone;
    if (reason)
        *reason = errorText(error);
    return Renamed::Failed;
#elif defined(Q_OS_WIN)
    // Without MOVEFILE_REPLACE_EXISTING an existing name is refused; without
    // MOVEFILE_COPY_ALLOWED another volume is too (never a copy); WRITE_THROUGH returns only
    // once the new name is on the disk.
    if (moveFile(from, to, MOVEFILE_WRITE_THROUGH)) {
        syncParent(to);
        return Renamed::Done;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return QFileInfo::exists(from) ? Renamed::Taken : Renamed::SourceGone;
    if (!QFileInfo::exists(from))
        return Renamed::SourceGone;
    if (reason)
        *reason = qt_error_string(int(error)); // a virus scanner's hold: ERROR_SHARING_VIOLATION
    return Renamed::Failed;
#endif
}

Renamed renameReplacing(const QString &from, const QString &to, QString *reason, FolderSync sync)
{
    const auto syncParent = [sync](const QString &path) {
        if (sync == FolderSync::Now)
            qvl::syncParent(path);
    };
    if (refusedForTests(reason))
        return Renamed::Failed;
#ifdef Q_OS_UNIX
    makeReadable(QFile::encodeName(from));
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        syncParent(to);
        return Renamed::Done;
    }
    const int error = errno;
    if (error == ENOENT && !QFileInfo::exists(from))
        return Renamed::SourceGone;
    if (reason)
        *reason = errorText(error);
    return Renamed::Failed;
#elif defined(Q_OS_WIN)
    if (moveFile(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        syncParent(to);
        return Renamed::Done;
    }
    const DWORD error = ::GetLastError();
    if (!QFileInfo::exists(from))
        return Renamed::SourceGone;
    if (reason)
        *reason = qt_error_string(int(error));
    return Renamed::Failed;
#endif
}

} // namespace qvl
