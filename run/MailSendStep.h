#pragma once
// Sending the outbox, a step of its own after a run: the form's mail settings and
// connection, the password from QVL32_SMTP_PASSWORD, and what went wrong in the log file.
// The job is a copy of what it needs, so that the desktop program can send on a thread of
// its own while its window shows the progress.

#include "mail/MailSending.h"
#include "mail/UnsentLetters.h"
#include "db/Database.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <optional>

namespace qvl {

class FrmDTA;

struct MailSendJob {
    QString outbox;
    MailSettings settings;
    QString connectionString;
    DbOptions connectionOptions;
    bool resendUncertain = false; // the clerk's answer: mails that may have gone, again
};

// The mails of a stored run in the form's outbox, before the run is deleted: those not yet
// answered are withdrawn with it, those sent can only be named. Throws DbError.
struct StoredRunMails {
    QString outbox;
    QList<OutboxEntry> unsent;
    int sent = 0;
};
StoredRunMails mailsOfStoredRun(const FrmDTA &form, Database &db, const QString &runKey,
                                std::optional<long> association);
// What the question before the delete adds about them; empty without any.
QString storedRunMailsText(const StoredRunMails &mails);
// The mails of an earlier direct-debit run that a repeated run would collect again: the fee
// notices of `owners` for the year and fee text of that run (`yearKey`, `typ`), made on the
// day it stored its fees (any day when not known). Throws DbError.
StoredRunMails mailsOfEarlierRun(const FrmDTA &form, Database &db, const QSet<long> &owners, const QString &yearKey,
                                 const QString &typ, const QDateTime &created);
// What the repeated-run question adds about them; empty without any.
QString earlierRunMailsText(const StoredRunMails &mails);
// After the delete: the unsent ones taken out of the outbox. Returns the text for the clerk.
QString withdrawStoredRunMails(FrmDTA &form, const StoredRunMails &mails);

// The outbox of the form's reports folder (the export folder unless the reports go
// elsewhere), or `outbox` when given.
MailSendJob mailSendJob(const FrmDTA &form, const QString &outbox = {});

// The password for the mail server; empty when the variable is not set.
QByteArray mailPassword();

// The mails whose run the database does not hold, by path, with why (German, for "Nicht
// gesendet, …"): a mail's document is not registered, or registered for another owner or
// by another run (a backup from before the run, another database); a fee notice whose
// run's stored fees are gone (deleted, by this program or behind its back). A mail that
// names no run is not judged. Throws DbError.
QHash<QString, QString> mailsOfGoneRuns(Database &db, const QList<OutboxEntry> &entries);

// Sends on a connection of its own (any thread); only the mails of runs the database holds.
// Throws DbError.
SendOutcome runMailSendJob(const MailSendJob &job, const SendCallbacks &callbacks = {});

// The outbox's mails that may have been delivered, for the question before a send. Throws
// DbError.
QList<MailFailure> uncertainMailsOf(const MailSendJob &job);

// The question before a send when mails may have been delivered: names each with its
// owner and time; Yes sends them again. No mail of that kind: nothing asked, false.
bool askResendUncertain(FrmDTA &form, const QList<MailFailure> &uncertain);

// Writes the outcome's lines into the log file and returns the text for the clerk.
QString reportMailSending(FrmDTA &form, const SendOutcome &outcome);

// The letters of the owners whose mail was refused, as one PDF beside the outbox. Throws
// DbError or std::runtime_error (German).
UnsentLetters lettersOfUnsentMails(const MailSendJob &job);

// After a send in which the server refused mails for good: asks whether their letters are
// to be made for printing now, writes them and opens the PDF. Tells every failure.
void offerUnsentLetters(FrmDTA &form, const MailSendJob &job, const SendOutcome &outcome);

} // namespace qvl
