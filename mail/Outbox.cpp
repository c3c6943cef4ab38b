#include "mail/Outbox.h"

#include "os/Paths.h"

#include <QCollator>
#include <QDir>
#include <QFile>

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

QByteArray outboxHead(const QString &path)
{
    QFile file(nativePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray head;
    while (!file.atEnd()) {
        head += file.read(16384);
        if (const qsizetype blank = head.indexOf("\r\n\r\n"); blank >= 0)
            return head.left(blank + 4);
    }
    return head;
}

} // namespace qvl
