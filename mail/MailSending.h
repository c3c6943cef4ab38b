#pragma once
// Sending the outbox: every message file whose Message-ID has no row in QVL32_EMAILS goes
// to the mail server, one after another over one connection. Each answer for good is
// recorded before the next mail: taken, or refused (5xx) — that owner gets paper. A mail
// refused for now (4xx) and every mail after a stop stay in the outbox for the next send.

#include "core/MailSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace qvl {

class Database;

struct MailFailure {
    long owner = 0;
    QString ownerName;
    QString file;
    QString reason; // the server's answer
};

struct SendOutcome {
    int total = 0;                 // message files in the outbox
    int done = 0;                  // answered for good before this send
    int sent = 0;                  // taken now
    QList<MailFailure> refused;    // refused for good now: these owners get paper
    QList<MailFailure> deferred;   // refused for now: sent again next time
    QStringList unreadable;        // files that are no message of the outbox
    QString stopReason;            // why the sending stopped before the end, or empty
    bool cancelled = false;        // "Abbrechen"
    int pending() const { return total - done - sent - int(refused.size()) - int(unreadable.size()); }
};

struct SendCallbacks {
    std::function<void(int done, int total)> progress;
    std::function<bool()> cancelled;
};

// Throws DbError when the table cannot be read or a row not written (the mail whose row
// failed may have been taken: the error says which).
SendOutcome sendOutbox(const QString &folder, const MailSettings &settings, const QByteArray &password,
                       Database &db, const SendCallbacks &callbacks = {});

// The outcome as German lines for the clerk and the log file: one per owner whose mail
// did not go, with the reason.
QStringList sendOutcomeLines(const SendOutcome &outcome);

} // namespace qvl
