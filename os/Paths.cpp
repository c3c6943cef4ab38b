#include "os/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qvl {

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QDir::fromNativeSeparators(QString(path).replace(u'\\', u'/')));
}

QString separator()
{
    return QString(QDir::separator());
}

QString joinPath(const QString &folder, const QString &relative)
{
    const QString joined = QString(folder).replace(u'\\', u'/') + u'/' + QString(relative).replace(u'\\', u'/');
    return QDir::toNativeSeparators(QDir::cleanPath(joined));
}

QString defaultProgramDir(const QString &executableDir)
{
    const QString configured = qEnvironmentVariable("QVL32_PROGRAM_DIR").trimmed();
    return configured.isEmpty() ? executableDir : QDir(nativePath(configured)).absolutePath();
}

QString inProgramFolder(const QString &programDir, const QString &path)
{
    static const QRegularExpression drive(u"^[A-Za-z]:"_qs);
    if (path.isEmpty() || path.startsWith(u'\\') || path.startsWith(u'/') || drive.match(path).hasMatch()
        || QDir::isAbsolutePath(path))
        return path;
    const bool folderMark = path.endsWith(u'\\') || path.endsWith(u'/');
    const QString joined = joinPath(programDir, path);
    return folderMark ? withTrailingSeparator(joined) : joined;
}

QString windowsDrive(const QString &path)
{
    static const QRegularExpression letter(u"^([A-Za-z]:)"_qs);
    static const QRegularExpression share(u"^[\\\\/]{2}([^\\\\/]+)[\\\\/]+([^\\\\/]+)"_qs);
    if (const QRegularExpressionMatch m = letter.match(path); m.hasMatch())
        return m.captured(1);
    if (const QRegularExpressionMatch m = share.match(path); m.hasMatch())
        return u"\\\\"_qs + m.captured(1) + u'\\' + m.captured(2);
    return {};
}

QString withTrailingSeparator(const QString &folder)
{
    if (folder.endsWith(u'\\') || folder.endsWith(u'/'))
        return folder;
    return folder + separator();
}

QString fileIdentity(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QString::number(quint64(st.st_dev)) + u':' + QString::number(quint64(st.st_ino));
#elif defined(Q_OS_WIN)
    // The volume's serial number and the file's index: the same for a drive letter, a UNC
    // path and a mapped share that reach the file. Opened for nothing but its attributes, so
    // that a file another program holds still answers.
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info {};
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known)
        return QFileInfo(path).canonicalFilePath();
    return QString::number(quint64(info.dwVolumeSerialNumber)) + u':'
           + QString::number((quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
#else
    return QFileInfo(path).canonicalFilePath();
#endif
}

} // namespace qvl
