#pragma once
// The export error log "LogDatei.txt" in the program folder: data errors found while the
// SEPA file is written, one dated line each.

#include <QString>
#include <QStringList>

namespace qvl {

class Clock;
class RunOutputs;

QString logFilePath(const QString &programDir);

// Appends "yyyy.mm.dd - hh:mm:ss;" + message (Windows-1252, CR LF), creating the file; for a
// write outside a run (within one: WriteLogLines).
// False with a German description in *error when the file cannot be written.
bool WriteLog(const QString &programDir, const Clock &clock, const QString &message, QString *error = nullptr);
// Several lines of one moment appended in one write (a list of owners).
bool WriteLog(const QString &programDir, const Clock &clock, const QStringList &messages, QString *error = nullptr);

// The log line for an owner whose texts a Windows-1252 file shows with "?":
// "Waldbesitzer 4711 Zoë Ωmega enthält Zeichen, die in der Datei „…“ nicht darstellbar sind; …".
// `inFile` names the file: "in der Datei „X“".
QString unrepresentableMessage(const QString &owner, const QString &inFile);

// Appends several messages at once, each dated like WriteLog. Within a run (`run` given) the
// lines wait in the run's list until it is done, so that a run that was killed leaves none;
// outside one (nullptr) they are appended at once.
bool WriteLogLines(RunOutputs *run, const QString &programDir, const Clock &clock, const QStringList &messages,
                   QString *error = nullptr);

} // namespace qvl
