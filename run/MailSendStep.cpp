#include "run/MailSendStep.h"

#include "app/FrmDTA.h"
#include "mail/Outbox.h"
#include "core/ErrorLog.h"

namespace qvl {

MailSendJob mailSendJob(const FrmDTA &f, const QString &outbox)
{
    MailSendJob job;
    job.outbox = !outbox.isEmpty() ? outbox
                                   : outboxFolder(f.strBerichtsPfad.isEmpty() ? f.strExportPfad : f.strBerichtsPfad);
    job.settings = f.mail;
    job.connectionString = f.strConnectionString;
    job.connectionOptions = f.connectionOptions;
    return job;
}

QByteArray mailPassword()
{
    return qgetenv(kSmtpPasswordVariable);
}

SendOutcome runMailSendJob(const MailSendJob &job, const SendCallbacks &callbacks)
{
    const std::unique_ptr<Database> db = Database::open(job.connectionString, job.connectionOptions);
    QByteArray password = mailPassword();
    SendOutcome outcome = sendOutbox(job.outbox, job.settings, password, *db, callbacks);
    password.fill('\0');
    return outcome;
}

QString reportMailSending(FrmDTA &f, const SendOutcome &outcome)
{
    const QStringList lines = sendOutcomeLines(outcome);
    // The log names every mail that did not go; a send without trouble leaves no line.
    if (!outcome.refused.isEmpty() || !outcome.deferred.isEmpty() || !outcome.stopReason.isEmpty()
        || !outcome.unreadable.isEmpty())
        WriteLogLines(f.context().programDir, f.clock(), lines);
    return lines.join(u'\n');
}

UnsentLetters lettersOfUnsentMails(const MailSendJob &job)
{
    const std::unique_ptr<Database> db = Database::open(job.connectionString, job.connectionOptions);
    return writeUnsentLetters(job.outbox, *db);
}

} // namespace qvl
