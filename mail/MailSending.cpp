#include "mail/MailSending.h"

#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SentMails.h"
#include "mail/SmtpSession.h"
#include "platform/Database.h"
#include "platform/FaultPoints.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <string>
#include <thread>

namespace qvl {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the provider's limit allows the next mail; false when cancelled meanwhile.
bool waitForRate(Clock::time_point next, const SendCallbacks &callbacks)
{
    while (Clock::now() < next) {
        if (callbacks.cancelled && callbacks.cancelled())
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(50)));
    }
    return true;
}

QString ownerText(long owner, const QString &name)
{
    return (QString::number(owner) + u' ' + name).trimmed();
}

} // namespace

SendOutcome sendOutbox(const QString &folder, const MailSettings &settings, const QByteArray &password,
                       Database &db, const SendCallbacks &callbacks)
{
    SendOutcome outcome;
    const QStringList files = outboxFiles(folder);
    outcome.total = int(files.size());
    ensureMailTables(db);
    const QHash<QString, MailRecord> recorded = recordedMails(db);

    SmtpSession session(settings, password, callbacks.cancelled);
    const std::chrono::milliseconds interval(settings.perMinute > 0 ? 60000 / settings.perMinute : 0);
    Clock::time_point next = Clock::now();
    int answered = 0;
    const auto advance = [&] {
        if (callbacks.progress)
            callbacks.progress(++answered, outcome.total);
    };
    for (const QString &path : files) {
        if (callbacks.cancelled && callbacks.cancelled()) {
            outcome.cancelled = true;
            break;
        }
        QFile file(path);
        const QByteArray message = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const std::optional<OutboxMessage> m = readOutboxMessage(message);
        if (!m) {
            outcome.unreadable.append(path);
            advance();
            continue;
        }
        if (recorded.contains(m->messageId)) {
            ++outcome.done;
            advance();
            continue;
        }
        if (const QString problem = session.settingsProblem(); !problem.isEmpty()) {
            outcome.stopReason = problem;
            break;
        }
        if (!waitForRate(next, callbacks)) {
            outcome.cancelled = true;
            break;
        }
        next = Clock::now() + interval;
        const SmtpResult result = session.send(m->sender, m->to, message);
        const MailFailure failure{m->owner, m->ownerName, path, result.answer};
        switch (result.kind) {
        case SmtpResult::Kind::Accepted:
            try {
                recordMail(db, m->messageId, m->owner, path, MailStatus::Sent);
            } catch (const DbError &e) {
                throw DbError(u"Die E-Mail an Waldbesitzer "_qs + ownerText(m->owner, m->ownerName)
                              + u" ist gesendet, konnte aber nicht vermerkt werden; beim nächsten Versand ginge sie "
                                "ein zweites Mal hinaus. "_qs
                              + e.message());
            }
            ++outcome.sent;
            faultPoint(("mail-angenommen-" + std::to_string(outcome.sent)).c_str());
            break;
        case SmtpResult::Kind::Refused:
            recordMail(db, m->messageId, m->owner, path, MailStatus::Refused, result.answer);
            outcome.refused.append(failure);
            break;
        case SmtpResult::Kind::Temporary:
            outcome.deferred.append(failure);
            break;
        case SmtpResult::Kind::Cancelled:
            outcome.cancelled = true;
            break;
        case SmtpResult::Kind::Stopped:
            outcome.stopReason = result.answer;
            break;
        }
        if (outcome.cancelled || !outcome.stopReason.isEmpty())
            break;
        advance();
    }
    return outcome;
}

QStringList sendOutcomeLines(const SendOutcome &o)
{
    QStringList lines;
    lines << u"E-Mails gesendet: "_qs + QString::number(o.sent)
                 + (o.done > 0 ? u" (schon vorher gesendet oder abgelehnt: "_qs + QString::number(o.done) + u')'
                               : QString());
    if (!o.stopReason.isEmpty())
        lines << u"Der Versand wurde angehalten: "_qs + o.stopReason;
    if (o.cancelled)
        lines << u"Der Versand wurde abgebrochen."_qs;
    for (const MailFailure &f : o.refused)
        lines << u"Abgelehnt, Brief geht auf Papier: Waldbesitzer "_qs + ownerText(f.owner, f.ownerName)
                     + u" — "_qs + f.reason;
    for (const MailFailure &f : o.deferred)
        lines << u"Vorläufig abgelehnt, wird beim nächsten Versand wiederholt: Waldbesitzer "_qs
                     + ownerText(f.owner, f.ownerName) + u" — "_qs + f.reason;
    for (const QString &file : o.unreadable)
        lines << u"Keine E-Mail des Postausgangs, übergangen: "_qs + QDir::toNativeSeparators(file);
    if (o.pending() > 0)
        lines << u"Noch nicht gesendet: "_qs + QString::number(o.pending())
                     + u" E-Mails; sie werden beim nächsten Versand gesendet."_qs;
    if (!o.refused.isEmpty())
        lines << u"Die Briefe der abgelehnten Waldbesitzer schreibt „qvl32-sepa-batch letters unsent“ als PDF "
                 "zum Drucken."_qs;
    return lines;
}

} // namespace qvl
