#include "core/ErrorLog.h"

#include "files/AnsiTextFile.h"
#include "base/Clock.h"
#include "text/Conversions.h"
#include "os/Paths.h"
#include "files/RunOutputs.h"

namespace qvl {

QString logFilePath(const QString &programDir)
{
    return joinPath(programDir, u"LogDatei.txt"_qs);
}

bool WriteLog(const QString &programDir, const Clock &clock, const QString &message, QString *error)
{
    return WriteLogLines(nullptr, programDir, clock, {message}, error);
}

bool WriteLog(const QString &programDir, const Clock &clock, const QStringList &messages, QString *error)
{
    return WriteLogLines(nullptr, programDir, clock, messages, error);
}

bool WriteLogLines(RunOutputs *run, const QString &programDir, const Clock &clock, const QStringList &messages,
                   QString *error)
{
    if (messages.isEmpty())
        return true;
    // Opened and closed per call: the user may empty or delete the file between errors.
    const QDateTime now = clock.now();
    const QString stamp = formatDate(now, u"yyyy.mm.dd"_qs) + u" - "_qs + formatDate(now, u"HH:MM:SS"_qs) + u';';
    QStringList lines;
    lines.reserve(messages.size());
    for (const QString &message : messages)
        lines.append(stamp + message);
    if (run) {
        run->deferLog(logFilePath(programDir), lines);
        return true;
    }
    QString reason;
    if (appendAnsiLines(logFilePath(programDir), lines, &reason))
        return true;
    if (error)
        *error = u"Die Log-Datei konnte nicht ergänzt werden.\n"_qs + reason;
    return false;
}

QString unrepresentableMessage(const QString &owner, const QString &inFile)
{
    return u"Waldbesitzer "_qs + owner + u" enthält Zeichen, die "_qs + inFile
           + u" nicht darstellbar sind; sie stehen dort als „?“."_qs;
}

} // namespace qvl
