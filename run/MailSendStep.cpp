#include "run/MailSendStep.h"

#include "app/FrmDTA.h"
#include "mail/Outbox.h"
#include "core/ErrorLog.h"

#include <stdexcept>

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

void offerUnsentLetters(FrmDTA &f, const MailSendJob &job, const SendOutcome &outcome)
{
    if (outcome.refused.isEmpty())
        return;
    const QString title = u"Briefe für nicht zugestellte E-Mails"_qs;
    const QString count = outcome.refused.size() == 1 ? u"der abgelehnten E-Mail"_qs
                                                       : u"der "_qs + QString::number(outcome.refused.size())
                                                             + u" abgelehnten E-Mails"_qs;
    if (f.ui().showMessage({u"Die Briefe "_qs + count + u" jetzt als PDF zum Drucken erstellen?"_qs, title,
                            MsgIcon::Question, MsgButtons::YesNo})
        != MsgResult::Yes)
        return;
    try {
        const UnsentLetters letters = lettersOfUnsentMails(job);
        if (!letters.file.isEmpty())
            f.ui().openFile(letters.file);
    } catch (const DbError &e) {
        f.ui().message(e.message(), title, MsgIcon::Critical);
    } catch (const std::runtime_error &e) {
        f.ui().message(QString::fromUtf8(e.what()), title, MsgIcon::Critical);
    }
}

} // namespace qvl
