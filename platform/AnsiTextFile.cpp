#include "platform/AnsiTextFile.h"

#include "platform/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace qvl {

namespace {

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encodeCp1252(line);
        bytes += "\r\n";
    }
    return bytes;
}

void setWriteError(QString *error, const QString &path, const QString &reason)
{
    if (error)
        *error = u"Die Datei „"_qs + QDir::toNativeSeparators(path)
                 + u"“ konnte nicht geschrieben werden: "_qs + reason;
}

} // namespace

std::optional<QStringList> readAnsiLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;

    QString text = decodeCp1252(bytes);
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    if (text.isEmpty())
        return QStringList();
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

bool appendAnsiLines(const QString &path, const QStringList &lines, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        setWriteError(error, path, file.errorString());
        return false;
    }
    const QByteArray bytes = encodeLines(lines);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        setWriteError(error, path, file.errorString());
        return false;
    }
    return true;
}

bool writeAnsiFileAtomically(const QString &path, const QStringList &lines, QString *error)
{
    // No direct-write fallback: a file that cannot be replaced in one step stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setWriteError(error, path, file.errorString());
        return false;
    }
    const QByteArray bytes = encodeLines(lines);
    if (file.write(bytes) != bytes.size()) {
        setWriteError(error, path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setWriteError(error, path, file.errorString());
        return false;
    }
    return true;
}

} // namespace qvl
