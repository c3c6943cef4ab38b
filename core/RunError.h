#pragma once
// A failure inside a run step, with the German text the user is shown. The run driver
// catches it (and DbError), tells the user and stops the run.

#include "os/RunSignals.h"

#include <QString>
#include <optional>
#include <stdexcept>

namespace qvl {

class RunError : public std::runtime_error {
public:
    // Input: the user can mend an input and start again (the run stopped before writing).
    // Output: a file could not be written.
    // Interrupted: Ctrl-C or SIGTERM stopped the run before its commit point; nothing of it
    // is left.
    enum class Kind { Input, Output, Interrupted };

    RunError(Kind kind, const QString &message, const QString &title = {})
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message), m_title(title) {}
    Kind kind() const { return m_kind; }
    const QString &message() const { return m_message; }
    const QString &title() const { return m_title; } // empty: the message has no title

private:
    Kind m_kind;
    QString m_message;
    QString m_title;
};

// How every writer fails (the bank file, the CSV list, the reports' PDFs, the e-invoices, the
// letters by mail, the accounting files): it throws this, naming the file and, where one
// owner's data stopped it, the owner. What the writer had begun stays hidden and goes with
// the run; no writer reports a failure as a return value.
class WriteError : public RunError {
public:
    WriteError(const QString &file, const QString &message, std::optional<long> owner = std::nullopt,
               const QString &title = {})
        : RunError(Kind::Output, message, title), m_file(file), m_owner(owner) {}
    const QString &file() const { return m_file; } // the file as it was to be named
    std::optional<long> owner() const { return m_owner; }

private:
    QString m_file;
    std::optional<long> m_owner;
};

// A failure after the run's commit point: the bank file's fees are stored and the file has
// its name (or gets it at the next start). The run must not be repeated.
class CommittedRunError : public RunError {
public:
    CommittedRunError(const QString &bankFile, const QString &message)
        : RunError(Kind::Output, message), m_bankFile(bankFile) {}
    const QString &bankFile() const { return m_bankFile; }

private:
    QString m_bankFile;
};

// A check of the run before its commit point: a recorded Ctrl-C or SIGTERM ends it here.
inline void stopIfInterrupted()
{
    if (const int signal = pendingRunSignal())
        throw RunError(RunError::Kind::Interrupted,
                       u"Der Beitragslauf wurde abgebrochen ("_qs + QString::fromLatin1(signalName(signal))
                           + u"). Es wurde keine SEPA-Datei erstellt und kein Beitrag gespeichert."_qs);
}

} // namespace qvl
