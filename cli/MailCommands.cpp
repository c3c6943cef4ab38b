#include "cli/MailCommands.h"

#include "app/FrmDTA.h"
#include "os/Paths.h"
#include "os/RunSignals.h"
#include "run/MailSendStep.h"

#include <QDir>

#include <cstdio>
#include <stdexcept>

namespace qvl {

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stream);
}

} // namespace

int sendMailCommand(FrmDTA &f, const QString &outbox, bool resendUncertain)
{
    MailSendJob job = mailSendJob(f, outbox);
    job.resendUncertain = resendUncertain;
    if (!QDir(nativePath(job.outbox)).exists()) {
        f.ui().message(u"Der Postausgang „"_qs + QDir::toNativeSeparators(job.outbox) + u"“ existiert nicht."_qs,
                       u"E-Mails versenden"_qs, MsgIcon::Exclamation);
        return 3;
    }
    RunSignalScope recordSignals;
    clearRunSignal();
    SendOutcome outcome;
    try {
        SendCallbacks callbacks;
        callbacks.cancelled = [] { return pendingRunSignal() != 0; };
        callbacks.now = [&f] { return f.clock().now(); };
        outcome = runMailSendJob(job, callbacks);
    } catch (const DbError &e) {
        f.ui().message(e.message(), u"E-Mails versenden"_qs, MsgIcon::Critical);
        return 1;
    }
    const QString text = reportMailSending(f, outcome);
    printLine(stdout, text);
    if (const int signal = pendingRunSignal())
        return exitCodeForSignal(signal);
    return outcome.pending() > 0 || !outcome.refused.isEmpty() || !outcome.uncertain.isEmpty()
                   || !outcome.runGone.isEmpty()
               ? 3
               : 0;
}

int lettersUnsentCommand(FrmDTA &f, const QString &outbox)
{
    try {
        const UnsentLetters letters = lettersOfUnsentMails(mailSendJob(f, outbox));
        if (letters.file.isEmpty()) {
            printLine(stdout, u"Keine abgelehnten E-Mails: kein Brief zu drucken."_qs);
            return 0;
        }
        printLine(stdout, QDir::toNativeSeparators(letters.file));
        printLine(stderr, u"Briefe auf Papier für: "_qs + letters.owners.join(u", "_qs));
        return 0;
    } catch (const DbError &e) {
        f.ui().message(e.message(), u"Briefe für nicht zugestellte E-Mails"_qs, MsgIcon::Critical);
    } catch (const std::runtime_error &e) {
        f.ui().message(QString::fromUtf8(e.what()), u"Briefe für nicht zugestellte E-Mails"_qs, MsgIcon::Critical);
    }
    return 1;
}

} // namespace qvl
