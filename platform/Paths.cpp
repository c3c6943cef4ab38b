#include "platform/Paths.h"

#include <QDir>

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

QString withTrailingSeparator(const QString &folder)
{
    if (folder.endsWith(u'\\') || folder.endsWith(u'/'))
        return folder;
    return folder + separator();
}

} // namespace qvl
