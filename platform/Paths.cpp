#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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
#else
    return QFileInfo(path).canonicalFilePath();
#endif
}

} // namespace qvl
