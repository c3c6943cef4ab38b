#include "mail/MailSending.h"

#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SentMails.h"
#include "mail/SmtpSession.h"
#include "platform/Database.h"
#include "platform/FaultPoints.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <chrono>
#include <string>
#include <thread>

namespace qvl {

namespace {

using Clock = std::chrono::steady_clock;

// The answers go into the table in groups: each is in the journal before the next mail.
constexpr qsizetype kRowsPerCommit = 100;
constexpr char16_t kLockName[] = u".versand.lock";

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

// Two desks sending one outbox would both send every mail: the second one waits its turn.
QString lockHeldText(QLockFile &lock, const QString &folder)
{
    qint64 pid = 0;
    QString host;
    QString program;
    lock.getLockInfo(&pid, &host, &program);
    return u"Dieser Postausgang wird gerade versendet"_qs
           + (host.isEmpty() ? QString() : u" (Rechner „"_qs + host + u"“, Prozess "_qs + QString::number(pid) + u')')
           + u". Versenden Sie ihn, wenn das fertig ist. Läuft dort kein Versand mehr, löschen Sie die Datei „"_qs
           + QDir::toNativeSeparators(joinPath(folder, QString::fromUtf16(kLockName))) + u"“."_qs;
}

} // namespace

SendOutcome sendOutbox(const QString &folder, const MailSettings &settings, const QByteArray &password,
                       Database &db, const SendCallbacks &callbacks)
{
    SendOutcome outcome;
    QLockFile lock(nativePath(joinPath(folder, QString::fromUtf16(kLockName))));
    lock.setStaleLockTime(0); // a send on another desk may take hours: only a dead process frees it
    if (!lock.tryLock(0)) {
        outcome.stopReason = lockHeldText(lock, folder);
        return outcome;
    }
    const QStringList files = outboxFiles(folder);
    outcome.total = int(files.size());
    ensureMailTables(db);
    QHash<QString, MailRecord> recorded = recordedMails(db);

    // A send that was stopped before its answers became rows left them in the journal.
    SendJournal journal(folder);
    QList<JournalEntry> unrecorded;
    for (const JournalEntry &e : journal.read()) {
        if (!recorded.contains(e.messageId)) {
            recorded.insert(e.messageId, MailRecord{e.status, e.answer});
            unrecorded.append(e);
        }
    }
    recordMails(db, unrecorded);
    unrecorded.clear();
    journal.remove();

    const auto commitRows = [&] {
        try {
            recordMails(db, unrecorded);
        } catch (const DbError &e) {
            throw DbError(u"Die Antworten des Mailservers konnten nicht in die Datenbank eingetragen werden; sie sind "
                          "im Postausgang vermerkt und werden beim nächsten Versand eingetragen. "_qs
                          + e.message());
        }
        unrecorded.clear();
    };
    const auto answered = [&](const OutboxMessage &m, const QString &path, MailStatus status, const QString &answer) {
        const JournalEntry entry{m.messageId, m.owner, path, status, answer.left(1000)};
        QString reason;
        if (!journal.append(entry, &reason))
            throw DbError(u"Die E-Mail an Waldbesitzer "_qs + ownerText(m.owner, m.ownerName)
                          + u" ist beantwortet, konnte aber nicht vermerkt werden; beim nächsten Versand ginge sie "
                            "ein zweites Mal hinaus. "_qs
                          + reason);
        unrecorded.append(entry);
        if (unrecorded.size() >= kRowsPerCommit)
            commitRows();
    };

    SmtpSession session(settings, password, callbacks.cancelled);
    const std::chrono::milliseconds interval(settings.perMinute > 0 ? 60000 / settings.perMinute : 0);
    Clock::time_point next = Clock::now();
    int answeredCount = 0;
    const auto advance = [&] {
        if (callbacks.progress)
            callbacks.progress(++answeredCount, outcome.total);
    };
    try {
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
                answered(*m, path, MailStatus::Sent, {});
                recorded.insert(m->messageId, MailRecord{});
                ++outcome.sent;
                faultPoint(("mail-angenommen-" + std::to_string(outcome.sent)).c_str());
                break;
            case SmtpResult::Kind::Refused:
                answered(*m, path, MailStatus::Refused, result.answer);
                recorded.insert(m->messageId, MailRecord{MailStatus::Refused, result.answer});
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
    } catch (const DbError &) {
        // What is journaled goes into the table now if it can; else at the next send.
        try {
            recordMails(db, unrecorded);
            journal.remove();
        } catch (const DbError &) {
        }
        throw;
    }
    commitRows();
    journal.remove();
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
