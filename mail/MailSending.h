#pragma once
// Sending the outbox: every message file whose Message-ID has no row in QVL32_EMAILS goes
// to the mail server, one after another over one connection. Each answer for good is
// recorded before the next mail: taken, or refused (5xx) — that owner gets paper. A mail
// refused for now (4xx) and every mail after a stop stay in the outbox for the next send.
// A mail whose text went without an answer (awaited in vain, connection lost, a kill) may
// have been delivered: it is named, and goes again only when the clerk asks for it.

#include "core/MailSettings.h"
#include "mail/MimeMessage.h"
#include "mail/SentMails.h"
#include "mail/SmtpSession.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
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
    QDateTime since; // an uncertain mail: when its text went
};

struct SendOutcome {
    int total = 0;                 // message files in the outbox
    int done = 0;                  // answered for good before this send
    int sent = 0;                  // taken now
    QList<MailFailure> refused;    // refused for good now, or in an interrupted send whose
                                   // answers this one entered: these owners get paper
    QList<MailFailure> deferred;   // refused for now: sent again next time
    QList<MailFailure> uncertain;  // maybe delivered, not sent again without being asked
    QStringList unreadable;        // files that are no message of the outbox
    QList<MailFailure> withdrawn;  // taken out unsent: an earlier issue of a document a later
                                   // run issued again (kept in "Zurückgezogen")
    QStringList notWithdrawn;      // such mails that could not be moved: not sent either
    QList<MailFailure> runGone;    // not sent: their run is not stored (any more) in this
                                   // database; they stay in the outbox
    QString stopReason;            // why the sending stopped before the end, or empty
    bool cancelled = false;        // "Abbrechen"
    int pending() const
    {
        return total - done - sent - int(refused.size()) - int(uncertain.size()) - int(unreadable.size())
               - int(runGone.size());
    }
};

// The mails of the outbox, their header read (no letter).
struct OutboxEntry {
    QString path;
    OutboxMessage message;
};

struct SendCallbacks {
    std::function<void(int done, int total)> progress;
    std::function<bool()> cancelled;
    bool resendUncertain = false;      // the clerk's answer: send the uncertain mails again
    std::function<QDateTime()> now;    // the time of a mail's mark; empty: the system's
    SmtpWaits waits;                   // how long the server's answers are awaited
    // Asked once, under the outbox's lock, with the mails that are to go: those whose run
    // the database no longer holds, by path, with why. Empty: every run counts as stored.
    std::function<QHash<QString, QString>(const QList<OutboxEntry> &)> runsGone;
};

// Throws DbError when the table cannot be read or a row not written (the mail whose row
// failed may have been taken: the error says which).
SendOutcome sendOutbox(const QString &folder, const MailSettings &settings, const QByteArray &password,
                       Database &db, const SendCallbacks &callbacks = {});

// The mails of the outbox that may have been delivered (a row "unsicher" or a mark left
// in the journal), for the question before a send; changes nothing. Throws DbError.
QList<MailFailure> uncertainMails(const QString &folder, Database &db);

QList<OutboxEntry> outboxEntries(const QString &folder);

// Whether the mail has a row or an answer in the journal (sent, refused or uncertain): such
// a mail is never withdrawn.
struct MailAnswers {
    QHash<QString, MailRecord> recorded;
    bool answered(const QString &messageId) const { return recorded.contains(messageId); }
};
MailAnswers mailAnswers(const QString &folder, Database &db);

// Of each owner's document (owner and kind) only the latest issue goes: the earlier ones
// that no answer names.
QList<OutboxEntry> supersededMails(const QList<OutboxEntry> &entries, const MailAnswers &answers);

// Moves the mails into the outbox's "Zurückgezogen" (never over another file); each one
// moved is returned with `reason`. A mail that cannot be moved stays and is named in
// *problems.
QList<MailFailure> withdrawMails(const QString &folder, const QList<OutboxEntry> &mails, const QString &reason,
                                 QStringList *problems);

// The outcome as German lines for the clerk and the log file: one per owner whose mail
// did not go, with the reason.
QStringList sendOutcomeLines(const SendOutcome &outcome);

} // namespace qvl
