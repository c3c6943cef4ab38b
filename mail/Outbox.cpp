#include "mail/Outbox.h"

#include "platform/Paths.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

namespace qvl {

QString outboxFolder(const QString &reportsFolder)
{
    return joinPath(reportsFolder, QString::fromUtf16(kOutboxFolderName));
}

QString outboxFileName(const QString &invoiceNumber, long owner)
{
    return invoiceNumber + u'_' + QString::number(owner) + u".eml"_qs;
}

QStringList outboxFiles(const QString &folder)
{
    // Hidden files are the writers' temporary ones: not whole yet, or abandoned.
    const QDir dir(nativePath(folder));
    QStringList names = dir.entryList({u"*.eml"_qs}, QDir::Files);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(names.begin(), names.end(), [&numeric](const QString &a, const QString &b) {
        return numeric.compare(a, b) < 0;
    });
    QStringList paths;
    for (const QString &name : names)
        paths.append(joinPath(folder, name));
    return paths;
}

} // namespace qvl
