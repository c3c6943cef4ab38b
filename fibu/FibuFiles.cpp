#include "fibu/FibuFiles.h"

#include "app/FrmDTA.h"
#include "platform/AnsiTextFile.h"
#include "platform/Conversions.h"
#include "platform/Paths.h"
#include "run/RunError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace qvl::fibu {

namespace {

RunError failed(const QString &text)
{
    return RunError(RunError::Kind::Output, text);
}

QString notWritten(const QString &file)
{
    return u"Die FIBU-Datei „"_qs + file + u"“ wurde nicht geschrieben."_qs;
}

} // namespace

QString targetFolder(const FrmDTA &form)
{
    return nativePath(form.Dir1.Path);
}

qint64 firstInvoiceNumber(const FrmDTA &form, const QString &file)
{
    const QString text = form.txtRechNr.Text.trimmed();
    const std::optional<double> number = parseNumber(u'0' + text);
    if (!number)
        throw failed(u"Die Rechnungsnummer „"_qs + text + u"“ ist keine Zahl. "_qs + notWritten(file));
    return qint64(std::clamp(std::floor(*number), 0.0, 1e15));
}

QString field(const QString &value, QStringView unsafe)
{
    QString out = value;
    for (QChar &c : out)
        if (c == u'\r' || c == u'\n' || unsafe.contains(c))
            c = u' ';
    return out;
}

bool bookable(double amount)
{
    return roundHalfAwayFromZero(amount, 2) > 0;
}

QStringList reserveNumberedFiles(const QString &folder, const std::function<QStringList(int)> &names)
{
    if (!QFileInfo(folder).isDir())
        throw failed(u"Der Zielordner für die FIBU-Übernahme „"_qs + folder + u"“ wurde nicht gefunden. "_qs
                     + notWritten(joinPath(folder, names(1).value(0))));
    for (int n = 1; n <= kFileNumbers; ++n) {
        QStringList paths;
        for (const QString &name : names(n))
            paths.append(joinPath(folder, name));
        if (std::any_of(paths.cbegin(), paths.cend(), [](const QString &p) { return QFileInfo::exists(p); }))
            continue;
        QStringList reserved;
        for (const QString &path : paths) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                reserved.append(path);
                continue;
            }
            releaseReservedFiles(reserved);
            if (QFileInfo::exists(path)) // created by someone else meanwhile: the next number
                break;
            throw failed(u"Die Datei „"_qs + path + u"“ konnte nicht angelegt werden: "_qs + file.errorString()
                         + u". "_qs + notWritten(path));
        }
        if (reserved.size() == paths.size())
            return reserved;
    }
    throw failed(u"Alle "_qs + QString::number(kFileNumbers) + u" Dateinummern des Tages sind vergeben („"_qs
                 + names(1).value(0) + u"“ bis „"_qs + names(kFileNumbers).value(0) + u"“ im Ordner „"_qs + folder
                 + u"“). "_qs + u"Die FIBU-Übernahme wurde nicht geschrieben."_qs);
}

void writeReservedFile(const QString &path, const QStringList &lines)
{
    QString error;
    if (writeAnsiFileAtomically(path, lines, &error))
        return;
    QFile::remove(path);
    throw failed(error + u"\r"_qs + notWritten(path));
}

void releaseReservedFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        QFile::remove(path);
}

} // namespace qvl::fibu
