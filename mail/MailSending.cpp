#include "mail/MailSending.h"

#include "mail/MailAddress.h"
#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SentMails.h"
#include "mail/SmtpSession.h"
#include "db/Database.h"
#include "base/FaultPoints.h"
#include "os/FileNaming.h"
#include "os/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>

#include <algorithm>

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
    return (QString::number(owner) + u' ' + shownField(name)).trimmed();
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

namespace {

QDateTime markTime(const QString &answer)
{
    return QDateTime::fromString(answer, Qt::ISODate);
}

QString ownerNameOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::optional<OutboxMessage> m = readOutboxMessage(file.readAll());
    return m ? m->ownerName : QString();
}

} // namespace

QList<OutboxEntry> outboxEntries(const QString &folder)
{
    QList<OutboxEntry> entries;
    for (const QString &path : outboxFiles(folder))
        if (const std::optional<OutboxMessage> m = readOutboxMessage(outboxHead(path)))
            entries.append({path, *m});
    return entries;
}

MailAnswers mailAnswers(const QString &folder, Database &db)
{
    ensureMailTables(db);
    MailAnswers answers{recordedMails(db)};
    for (const JournalEntry &e : SendJournal(folder).lastAnswers()) {
        if (e.status == MailStatus::Open)
            answers.recorded.remove(e.messageId);
        else
            answers.recorded.insert(e.messageId, MailRecord{e.status, e.answer, e.owner, e.file});
    }
    return answers;
}

QList<OutboxEntry> supersededMails(const QList<OutboxEntry> &entries, const MailAnswers &answers)
{
    // The latest issue of each owner's document: the latest run's, and of two issued at the
    // same instant the one named later (a taken name gets "_2").
    QHash<QString, qsizetype> latest;
    const auto key = [](const OutboxMessage &m) { return QString::number(m.owner) + u'\t' + m.issue.kind; };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const OutboxMessage &m = entries.at(i).message;
        if (m.issue.run.isEmpty())
            continue; // written before runs named their mails: stays as it is
        const auto found = latest.constFind(key(m));
        if (found == latest.cend() || entries.at(*found).message.issue.issued <= m.issue.issued)
            latest.insert(key(m), i);
    }
    QList<OutboxEntry> superseded;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const OutboxMessage &m = entries.at(i).message;
        if (!m.issue.run.isEmpty() && latest.value(key(m)) != i && !answers.answered(m.messageId))
            superseded.append(entries.at(i));
    }
    return superseded;
}

QList<MailFailure> withdrawMails(const QString &folder, const QList<OutboxEntry> &mails, const QString &reason,
                                 QStringList *problems)
{
    QList<MailFailure> withdrawn;
    if (mails.isEmpty())
        return withdrawn;
    const QString aside = joinPath(folder, QString::fromUtf16(kWithdrawnFolderName));
    if (!QDir().mkpath(nativePath(aside))) {
        problems->append(u"Der Ordner „"_qs + QDir::toNativeSeparators(aside) + u"“ kann nicht angelegt werden."_qs);
        return withdrawn;
    }
    for (const OutboxEntry &e : mails) {
        const QString name = QFileInfo(e.path).fileName();
        QString reasonText;
        Renamed renamed = Renamed::Taken;
        for (int n = 1; renamed == Renamed::Taken && n <= 999; ++n) {
            const QString target = joinPath(aside, n == 1 ? name
                                                          : QFileInfo(name).completeBaseName() + u'_'
                                                                + QString::number(n) + u".eml"_qs);
            renamed = renameWithoutReplacing(e.path, target, &reasonText);
            if (renamed == Renamed::Done)
                withdrawn.append({e.message.owner, e.message.ownerName, target, reason, {}});
        }
        if (renamed != Renamed::Done && renamed != Renamed::SourceGone)
            problems->append(u"Die E-Mail „"_qs + QDir::toNativeSeparators(e.path)
                             + u"“ kann nicht zurückgezogen werden"_qs
                             + (reasonText.isEmpty() ? QString() : u": "_qs + reasonText) + u'.');
    }
    return withdrawn;
}

QList<MailFailure> uncertainMails(const QString &folder, Database &db)
{
    ensureMailTables(db);
    QHash<QString, MailRecord> recorded = recordedMails(db);
    for (const JournalEntry &e : SendJournal(folder).lastAnswers())
        recorded.insert(e.messageId, MailRecord{e.status, e.answer, e.owner, e.file});
    // The table holds the mails of every outbox: only this one's are asked about.
    const QStringList inFolder = outboxFiles(folder);
    const QSet<QString> files(inFolder.cbegin(), inFolder.cend());
    QList<MailFailure> uncertain;
    for (auto it = recorded.cbegin(); it != recorded.cend(); ++it) {
        const MailRecord &r = it.value();
        if (r.status == MailStatus::Uncertain && files.contains(QDir::fromNativeSeparators(r.file)))
            uncertain.append({r.owner, ownerNameOf(r.file), r.file, {}, markTime(r.answer)});
    }
    std::sort(uncertain.begin(), uncertain.end(),
              [](const MailFailure &a, const MailFailure &b) { return a.since < b.since; });
    return uncertain;
}

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
    ensureMailTables(db);
    QHash<QString, MailRecord> recorded = recordedMails(db);

    // A send that was stopped before its answers became rows left them in the journal: a
    // mark without its answer is a mail that may have gone. The refusals among them are
    // named below as if they had just come, so that their letters reach paper.
    SendJournal journal(folder);
    QList<JournalEntry> unrecorded;
    QSet<QString> refusedBefore;
    for (const JournalEntry &e : journal.lastAnswers()) {
        const auto known = recorded.constFind(e.messageId);
        // A row says more than the journal, unless it is the mark the journal answers.
        if (known != recorded.cend() && known->status != MailStatus::Uncertain)
            continue;
        if (e.status == MailStatus::Open) {
            if (known != recorded.cend())
                unrecorded.append(e);
            recorded.remove(e.messageId);
            continue;
        }
        recorded.insert(e.messageId, MailRecord{e.status, e.answer, e.owner, e.file});
        unrecorded.append(e);
        if (e.status == MailStatus::Refused)
            refusedBefore.insert(e.messageId);
    }
    recordMails(db, unrecorded);
    unrecorded.clear();
    journal.remove();

    // Of each owner's document only its latest issue goes; the earlier unsent ones are
    // taken out of the outbox. One that cannot be moved is not sent either.
    QSet<QString> skipped;
    {
        const QList<OutboxEntry> superseded = supersededMails(outboxEntries(folder), MailAnswers{recorded});
        outcome.withdrawn = withdrawMails(folder, superseded, u"von einem späteren Lauf neu ausgestellt"_qs,
                                          &outcome.notWithdrawn);
        for (const OutboxEntry &e : superseded)
            skipped.insert(e.path);
    }
    QStringList files = outboxFiles(folder);
    files.removeIf([&](const QString &path) { return skipped.contains(path); });
    outcome.total = int(files.size());

    // A mail goes only while the database holds its run: a run deleted behind the
    // program's back, or a backup from before it, leaves mails of documents that, as far as
    // the database knows, were never issued. They stay where they are and are named.
    QHash<QString, QString> gone;
    if (callbacks.runsGone) {
        QList<OutboxEntry> toGo;
        for (const OutboxEntry &e : outboxEntries(folder)) {
            const auto known = recorded.constFind(e.message.messageId);
            if (!skipped.contains(e.path) && (known == recorded.cend() || known->status == MailStatus::Uncertain))
                toGo.append(e);
        }
        gone = callbacks.runsGone(toGo);
    }

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
    const auto journaled = [&](const OutboxMessage &m, const QString &path, MailStatus status, const QString &answer,
                               QString *reason, bool sync = true) {
        const JournalEntry entry{m.messageId, m.owner, path, status, answer.left(1000)};
        if (!journal.append(entry, reason, sync))
            return false;
        unrecorded.append(entry);
        return true;
    };
    // A mail taken is written into the journal at once and reaches the disk with the next
    // mail's mark, before that mail's text goes: one sync per mail. Only a power cut before
    // that sync can lose the line, and then the mail's own mark, synced before its text,
    // names it as maybe delivered: it is never sent again unasked.
    const auto answered = [&](const OutboxMessage &m, const QString &path, MailStatus status, const QString &answer) {
        QString reason;
        if (!journaled(m, path, status, answer, &reason, status != MailStatus::Sent))
            throw DbError(u"Die E-Mail an Waldbesitzer "_qs + ownerText(m.owner, m.ownerName)
                          + u" ist beantwortet, konnte aber nicht vermerkt werden; beim nächsten Versand ginge sie "
                            "ein zweites Mal hinaus. "_qs
                          + reason);
        if (unrecorded.size() >= kRowsPerCommit)
            commitRows();
    };
    const auto now = [&] { return callbacks.now ? callbacks.now() : QDateTime::currentDateTime(); };

    SmtpSession session(settings, password, callbacks.cancelled, callbacks.waits);
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
            if (const auto known = recorded.constFind(m->messageId); known != recorded.cend()) {
                if (known->status == MailStatus::Uncertain && !callbacks.resendUncertain) {
                    outcome.uncertain.append({m->owner, m->ownerName, path, {}, markTime(known->answer)});
                    advance();
                    continue;
                }
                if (known->status != MailStatus::Uncertain) {
                    if (refusedBefore.contains(m->messageId))
                        outcome.refused.append({m->owner, m->ownerName, path,
                                                known->answer + u" (beim unterbrochenen Versand)"_qs, {}});
                    else
                        ++outcome.done;
                    advance();
                    continue;
                }
            }
            if (const auto why = gone.constFind(path); why != gone.cend()) {
                outcome.runGone.append({m->owner, m->ownerName, path, *why, {}});
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
            // The mark goes before the mail's text: a kill while the server holds its answer
            // leaves the mail named as maybe delivered, not as one to send again.
            const QDateTime markedAt = now();
            bool marked = false;
            const SmtpResult result = session.send(m->sender, m->to, message, [&]() -> QString {
                QString reason;
                if (!journaled(*m, path, MailStatus::Uncertain, markedAt.toString(Qt::ISODate), &reason))
                    return u"Die E-Mail an Waldbesitzer "_qs + ownerText(m->owner, m->ownerName)
                           + u" konnte nicht als unterwegs vermerkt werden und wurde nicht gesendet. "_qs + reason;
                unrecorded.removeLast(); // a mark is a row only when no answer follows it
                marked = true;
                faultPoint("mail-unterwegs");
                return {};
            });
            const MailFailure failure{m->owner, m->ownerName, path, result.answer, {}};
            switch (result.kind) {
            case SmtpResult::Kind::Accepted:
                answered(*m, path, MailStatus::Sent, {});
                recorded.insert(m->messageId, MailRecord{});
                ++outcome.sent;
                faultPoint(("mail-angenommen-" + std::to_string(outcome.sent)).c_str());
                break;
            case SmtpResult::Kind::Refused:
                answered(*m, path, MailStatus::Refused, result.answer);
                recorded.insert(m->messageId, MailRecord{MailStatus::Refused, result.answer, m->owner, path});
                outcome.refused.append(failure);
                break;
            case SmtpResult::Kind::Uncertain:
                // The mark stays: its row says since when the mail may have been delivered.
                unrecorded.append({m->messageId, m->owner, path, MailStatus::Uncertain,
                                   markedAt.toString(Qt::ISODate)});
                recorded.insert(m->messageId, MailRecord{MailStatus::Uncertain, markedAt.toString(Qt::ISODate), m->owner, path});
                outcome.uncertain.append({m->owner, m->ownerName, path, result.answer, markedAt});
                outcome.stopReason = result.answer;
                break;
            case SmtpResult::Kind::Temporary:
            case SmtpResult::Kind::Cancelled:
            case SmtpResult::Kind::Stopped:
                // Nothing of the mail was taken: its mark (and the row of an uncertain mail
                // sent again) is taken back, so that the next send sends it.
                if (marked)
                    answered(*m, path, MailStatus::Open, {});
                else if (recorded.value(m->messageId).status == MailStatus::Uncertain)
                    unrecorded.append({m->messageId, m->owner, path, MailStatus::Open, {}});
                recorded.remove(m->messageId);
                if (result.kind == SmtpResult::Kind::Temporary)
                    outcome.deferred.append(failure);
                else if (result.kind == SmtpResult::Kind::Cancelled)
                    outcome.cancelled = true;
                else
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
            recordMails(db, journal.lastAnswers());
            journal.remove();
        } catch (const DbError &) {
        }
        throw;
    }
    // The last answer reaches the disk before the rows are tried: should they fail, the
    // journal holds it for the next send.
    QString unsynced;
    journal.sync(&unsynced);
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
    for (const MailFailure &f : o.uncertain)
        lines << u"Möglicherweise bereits zugestellt (gesendet am "_qs
                     + f.since.toString(u"dd.MM.yyyy HH:mm:ss"_qs)
                     + u", die Antwort des Mailservers blieb aus): Waldbesitzer "_qs + ownerText(f.owner, f.ownerName)
                     + u" — wird nicht von selbst noch einmal gesendet"_qs;
    for (const MailFailure &f : o.deferred)
        lines << u"Vorläufig abgelehnt, wird beim nächsten Versand wiederholt: Waldbesitzer "_qs
                     + ownerText(f.owner, f.ownerName) + u" — "_qs + f.reason;
    for (const QString &file : o.unreadable)
        lines << u"Keine E-Mail des Postausgangs, übergangen: "_qs + QDir::toNativeSeparators(file);
    for (const MailFailure &f : o.withdrawn)
        lines << u"Zurückgezogen, nicht gesendet ("_qs + f.reason + u"): Waldbesitzer "_qs + ownerText(f.owner, f.ownerName)
                     + u" — "_qs + QDir::toNativeSeparators(f.file);
    for (const QString &problem : o.notWithdrawn)
        lines << problem + u" Sie wird nicht gesendet."_qs;
    for (const MailFailure &f : o.runGone)
        lines << u"Nicht gesendet, "_qs + f.reason + u": Waldbesitzer "_qs + ownerText(f.owner, f.ownerName) + u" — "_qs
                     + QDir::toNativeSeparators(f.file);
    if (!o.runGone.isEmpty())
        lines << u"Diese E-Mails bleiben im Postausgang und werden nicht gesendet, solange die Datenbank ihren Lauf "
                 "nicht enthält. Wurde eine ältere Sicherung der Datenbank eingespielt, machen Sie den Lauf neu: seine "
                 "E-Mails ersetzen diese."_qs;
    if (o.pending() > 0)
        lines << u"Noch nicht gesendet: "_qs + QString::number(o.pending())
                     + u" E-Mails; sie werden beim nächsten Versand gesendet."_qs;
    if (!o.uncertain.isEmpty())
        lines << u"Ob diese E-Mails angekommen sind, weiß nur der Empfänger oder der Betreiber des Mailservers. "
                 "Erneut gesendet werden sie nur auf ausdrückliche Anweisung: „qvl32-sepa-batch send-mail "
                 "--resend-uncertain“ oder die Frage beim Versenden im Programm."_qs;
    if (!o.refused.isEmpty())
        lines << u"Die Briefe der abgelehnten Waldbesitzer schreibt „qvl32-sepa-batch letters unsent“ als PDF "
                 "zum Drucken."_qs;
    return lines;
}

} // namespace qvl
