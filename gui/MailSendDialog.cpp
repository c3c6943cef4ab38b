#include "gui/MailSendDialog.h"
#include "gui/HelpWindow.h"

#include "app/FrmDTA.h"
#include "mail/Outbox.h"
#include "base/InternalError.h"
#include "run/MailSendStep.h"

#include <QDir>

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

#include <atomic>

namespace qvl {

void sendMailsWithProgress(FrmDTA &form, QWidget *parent)
{
    const QString title = u"E-Mails versenden"_qs;
    MailSendJob job = mailSendJob(form);
    if (outboxFiles(job.outbox).isEmpty()) {
        form.ui().message(u"Im Postausgang „"_qs + QDir::toNativeSeparators(job.outbox) + u"“ liegen keine E-Mails."_qs,
                          title, MsgIcon::Information);
        return;
    }
    try {
        job.resendUncertain = askResendUncertain(form, uncertainMailsOf(job));
    } catch (const DbError &e) {
        form.ui().message(e.message(), title, MsgIcon::Critical);
        return;
    }
    QProgressDialog progress(u"E-Mails werden versendet …"_qs, u"Abbrechen"_qs, 0, 0, parent);
    progress.setObjectName(u"frmMailSend"_qs);
    installHelpKey(&progress, u"e-mails-versenden"_qs);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    std::atomic_bool cancel{false};
    SendOutcome outcome;
    QString dbError;
    ThreadFailure failure; // anything else that ended the sending, thrown on after the wait
    QThread *thread = QThread::create([&] {
        const auto report = [&progress](int done, int total) {
            QMetaObject::invokeMethod(&progress, [&progress, done, total] {
                progress.setMaximum(total);
                progress.setValue(done);
                progress.setLabelText(u"E-Mails werden versendet: "_qs + QString::number(done) + u" von "_qs
                                      + QString::number(total));
            }, Qt::QueuedConnection);
        };
        failure.guard([&] {
            try {
                SendCallbacks callbacks;
                callbacks.progress = report;
                callbacks.cancelled = [&cancel] { return cancel.load(); };
                callbacks.now = [&form] { return form.clock().now(); };
                outcome = runMailSendJob(job, callbacks);
            } catch (const DbError &e) {
                dbError = e.message();
            }
        });
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        cancel = true;
        progress.setLabelText(u"Wird nach der laufenden E-Mail abgebrochen …"_qs);
        progress.show();
    });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    progress.show();
    loop.exec();
    thread->wait();
    delete thread;
    progress.hide();
    failure.rethrow();

    if (!dbError.isEmpty()) {
        form.ui().message(dbError, title, MsgIcon::Critical);
        return;
    }
    const bool clean = outcome.pending() == 0 && outcome.refused.isEmpty() && outcome.unreadable.isEmpty()
                       && outcome.uncertain.isEmpty() && outcome.runGone.isEmpty();
    form.ui().message(reportMailSending(form, outcome), title, clean ? MsgIcon::Information : MsgIcon::Exclamation);
    offerUnsentLetters(form, job, outcome);
}

} // namespace qvl
