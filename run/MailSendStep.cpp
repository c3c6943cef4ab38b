#include "run/MailSendStep.h"

#include "app/FrmDTA.h"
#include "bank/Register.h"
#include "mail/MailAddress.h"
#include "mail/Outbox.h"
#include "core/ErrorLog.h"

#include "text/Conversions.h"
#include "stored/StoredFees.h"
#include "stored/StoredFeesSql.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <limits>
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

namespace {

// The invoice number a mail carries, or, in a mail written before it did, its file's name
// ("{RechNr}_{Nummer}.eml").
std::optional<qint64> mailNumber(const OutboxEntry &e)
{
    bool ok = false;
    const QString text = !e.message.issue.number.isEmpty() ? e.message.issue.number
                                                            : QFileInfo(e.path).fileName().section(u'_', 0, 0);
    const qint64 number = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

} // namespace

QHash<QString, QString> mailsOfGoneRuns(Database &db, const QList<OutboxEntry> &entries)
{
    QHash<QString, QString> gone;
    // A mail without its run (written before mails named theirs) cannot be judged: it goes.
    QList<std::pair<const OutboxEntry *, qint64>> judged;
    qint64 first = std::numeric_limits<qint64>::max(), last = 0;
    for (const OutboxEntry &e : entries) {
        const std::optional<qint64> number = e.message.issue.run.isEmpty() ? std::nullopt : mailNumber(e);
        if (!number)
            continue;
        judged.append({&e, *number});
        first = std::min(first, *number);
        last = std::max(last, *number);
    }
    if (judged.isEmpty())
        return gone;
    const QHash<qint64, IssuedDocument> issued = issuedDocuments(db, first, last);
    // Whether a fee notice's fees are still stored: the owner's own debit by its number;
    // an owner not collected by his run's first debit still stored.
    QHash<QString, QSet<QString>> feesOf; // by year and type
    const auto storedFees = [&](const IssuedDocument &d) -> const QSet<QString> & {
        const QString key = d.year + u'\t' + d.feeType;
        auto found = feesOf.find(key);
        if (found == feesOf.end())
            found = feesOf.insert(key, storedFeeNumbers(db, d.year, d.feeType));
        return *found;
    };
    QHash<qint64, bool> runStored; // by the register's run
    const auto feeOf = [](long idPersonal, qint64 number) {
        return QString::number(idPersonal) + u'\t' + QString::number(number);
    };
    for (const auto &[e, number] : judged) {
        const MailIssue &i = e->message.issue;
        const auto d = issued.constFind(number);
        // Not registered, or registered for another owner or by another run: the database
        // is not the one the run was made in, or an older copy of it.
        if (d == issued.cend() || (i.personal != 0 && d->idPersonal != i.personal)
            || (!d->runId.isEmpty() && d->runId != i.run)) {
            gone.insert(e->path, u"ihr Lauf ist in dieser Datenbank nicht gespeichert"_qs);
            continue;
        }
        if (d->kind != DocumentKind::FeeNotice)
            continue;
        const QSet<QString> &fees = storedFees(*d);
        bool stored = true;
        if (d->way == PaymentWay::DirectDebit) {
            stored = fees.contains(feeOf(d->idPersonal, number));
        } else {
            auto known = runStored.find(d->run);
            if (known == runStored.end()) {
                const QList<IssuedDocument> debits = debitsOfRun(db, d->run);
                bool any = debits.isEmpty(); // a run that collected nothing stored nothing
                for (const IssuedDocument &debit : debits)
                    any = any || fees.contains(feeOf(debit.idPersonal, debit.number));
                known = runStored.insert(d->run, any);
            }
            stored = *known;
        }
        if (!stored)
            gone.insert(e->path, u"die gespeicherten Beiträge ihres Laufs sind gelöscht"_qs);
    }
    return gone;
}

SendOutcome runMailSendJob(const MailSendJob &job, const SendCallbacks &callbacks)
{
    const std::unique_ptr<Database> db = Database::open(job.connectionString, job.connectionOptions);
    QByteArray password = mailPassword();
    SendCallbacks withAnswer = callbacks;
    withAnswer.resendUncertain = job.resendUncertain;
    withAnswer.runsGone = [&db](const QList<OutboxEntry> &entries) { return mailsOfGoneRuns(*db, entries); };
    SendOutcome outcome = sendOutbox(job.outbox, job.settings, password, *db, withAnswer);
    password.fill('\0');
    return outcome;
}

QList<MailFailure> uncertainMailsOf(const MailSendJob &job)
{
    const std::unique_ptr<Database> db = Database::open(job.connectionString, job.connectionOptions);
    return uncertainMails(job.outbox, *db);
}

bool askResendUncertain(FrmDTA &f, const QList<MailFailure> &uncertain)
{
    if (uncertain.isEmpty())
        return false;
    QStringList named;
    for (const MailFailure &m : uncertain.mid(0, 20))
        named << (u"Waldbesitzer "_qs + QString::number(m.owner) + u' ' + shownField(m.ownerName)).trimmed() + u", gesendet am "_qs
                     + m.since.toString(u"dd.MM.yyyy HH:mm"_qs);
    if (uncertain.size() > 20)
        named << u"… und "_qs + QString::number(uncertain.size() - 20) + u" weitere"_qs;
    const QString text = QString::number(uncertain.size())
                         + (uncertain.size() == 1 ? u" E-Mail ist"_qs : u" E-Mails sind"_qs)
                         + u" möglicherweise bereits zugestellt: der Mailserver hatte sie ganz erhalten, seine Antwort "
                           "blieb aus.\n\n"_qs
                         + named.join(u'\n')
                         + u"\n\nNoch einmal senden? Dann erhält ein Waldbesitzer, dessen E-Mail doch angekommen ist, "
                           "sie zweimal. Mit „Nein“ werden sie nicht gesendet, die übrigen schon."_qs;
    return f.ui().showMessage({text, u"E-Mails versenden"_qs, MsgIcon::Question, MsgButtons::YesNo}) == MsgResult::Yes;
}

QString reportMailSending(FrmDTA &f, const SendOutcome &outcome)
{
    const QStringList lines = sendOutcomeLines(outcome);
    // The log names every mail that did not go; a send without trouble leaves no line.
    if (!outcome.refused.isEmpty() || !outcome.deferred.isEmpty() || !outcome.stopReason.isEmpty()
        || !outcome.unreadable.isEmpty() || !outcome.uncertain.isEmpty() || !outcome.withdrawn.isEmpty()
        || !outcome.notWithdrawn.isEmpty() || !outcome.runGone.isEmpty())
        WriteLogLines(nullptr, f.context().programDir, f.clock(), lines);
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

namespace {

// The day in a run key ("2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"), when the server
// wrote it in English; else none, and every run of the year and fee counts.
std::optional<QDate> runKeyDay(const QString &runKey)
{
    const qsizetype at = runKey.lastIndexOf(u", Erstellt: "_qs);
    if (at < 0)
        return std::nullopt;
    const QDate day = QLocale::c().toDate(runKey.mid(at + 12).simplified(), u"MMM d yyyy"_qs);
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

} // namespace

namespace {

// The mails of the runs that issued fee notices to `owners` for `runPrefix` ("2026
// Mitgliedsbeitrag", as a run key begins) on `day` (any day when not known): each sorted
// into sent (answered) and unsent.
StoredRunMails mailsOfRunsLike(const QString &outbox, const QList<OutboxEntry> &entries, Database &db,
                               const QSet<long> &owners, const QString &runPrefix, std::optional<QDate> day)
{
    StoredRunMails mails;
    mails.outbox = outbox;
    QSet<QString> runs;
    for (const OutboxEntry &e : entries) {
        const MailIssue &i = e.message.issue;
        if (i.run.isEmpty() || i.kind != u"Beitragsbescheid"_qs || !owners.contains(i.personal))
            continue;
        if (i.year + u' ' + i.feeType.left(50) != runPrefix)
            continue;
        if (day && i.issued.date() != *day)
            continue;
        runs.insert(i.run);
    }
    if (runs.isEmpty())
        return mails;
    const MailAnswers answers = mailAnswers(outbox, db);
    for (const OutboxEntry &e : entries) {
        if (!runs.contains(e.message.issue.run))
            continue;
        if (answers.answered(e.message.messageId))
            ++mails.sent;
        else
            mails.unsent.append(e);
    }
    return mails;
}

} // namespace

StoredRunMails mailsOfStoredRun(const FrmDTA &f, Database &db, const QString &runKey, std::optional<long> association)
{
    const QString outbox = mailSendJob(f).outbox;
    const QList<OutboxEntry> entries = outboxEntries(outbox);
    if (entries.isEmpty())
        return StoredRunMails{outbox, {}, 0};
    QSet<long> owners;
    {
        QVariantList values{runKey};
        if (association)
            values += QVariantList{formatNumber(double(*association), u"0000"_qs), QString::number(*association)};
        const std::unique_ptr<RowCursor> rows =
            db.select(db.sql(association ? stored_fees_sql::kOwnersOfRunOfAssociation : stored_fees_sql::kOwnersOfRun), values);
        while (rows->next())
            owners.insert(rows->integer(0));
    }
    // The runs that issued the stored fees' notices: a fee notice of an owner of the run,
    // of its year and fee and (where the key tells it) of its day.
    const qsizetype created = runKey.indexOf(u", Erstellt: "_qs);
    return mailsOfRunsLike(outbox, entries, db, owners, created < 0 ? runKey : runKey.left(created), runKeyDay(runKey));
}

StoredRunMails mailsOfEarlierRun(const FrmDTA &f, Database &db, const QSet<long> &owners, const QString &yearKey,
                                 const QString &typ, const QDateTime &created)
{
    const QString outbox = mailSendJob(f).outbox;
    const QList<OutboxEntry> entries = outboxEntries(outbox);
    if (entries.isEmpty())
        return StoredRunMails{outbox, {}, 0};
    return mailsOfRunsLike(outbox, entries, db, owners, yearKey + u' ' + typ.left(50),
                           created.isValid() ? std::optional<QDate>(created.date()) : std::nullopt);
}

QString earlierRunMailsText(const StoredRunMails &mails)
{
    QStringList text;
    if (!mails.unsent.isEmpty())
        text << QString::number(mails.unsent.size())
                    + (mails.unsent.size() == 1 ? u" E-Mail jenes Laufs ist"_qs : u" E-Mails jenes Laufs sind"_qs)
                    + u" noch nicht versandt; gesendet wird je Waldbesitzer und Beleg nur die neueste."_qs;
    if (mails.sent > 0)
        text << QString::number(mails.sent)
                    + (mails.sent == 1 ? u" E-Mail jenes Laufs wurde"_qs : u" E-Mails jenes Laufs wurden"_qs)
                    + u" bereits versandt: diese Waldbesitzer haben den früheren Beitragsbescheid schon erhalten."_qs;
    return text.join(u'\n');
}

QString storedRunMailsText(const StoredRunMails &mails)
{
    QStringList text;
    if (!mails.unsent.isEmpty())
        text << QString::number(mails.unsent.size())
                    + (mails.unsent.size() == 1 ? u" E-Mail dieses Laufs ist"_qs : u" E-Mails dieses Laufs sind"_qs)
                    + u" noch nicht versandt; sie werden mit dem Lauf zurückgezogen (nach „"_qs
                    + QString::fromUtf16(kWithdrawnFolderName) + u"“ im Postausgang) und nicht gesendet."_qs;
    if (mails.sent > 0)
        text << QString::number(mails.sent)
                    + (mails.sent == 1 ? u" E-Mail dieses Laufs wurde"_qs : u" E-Mails dieses Laufs wurden"_qs)
                    + u" bereits versandt; das lässt sich nicht rückgängig machen."_qs;
    return text.join(u'\n');
}

QString withdrawStoredRunMails(FrmDTA &f, const StoredRunMails &mails)
{
    if (mails.unsent.isEmpty())
        return {};
    QStringList problems;
    const QList<MailFailure> withdrawn =
        withdrawMails(mails.outbox, mails.unsent, u"Lauf gelöscht"_qs, &problems);
    QStringList lines;
    for (const MailFailure &m : withdrawn)
        lines << u"Zurückgezogen, nicht gesendet (Lauf gelöscht): Waldbesitzer "_qs + QString::number(m.owner) + u' '
                     + shownField(m.ownerName) + u" — "_qs + QDir::toNativeSeparators(m.file);
    lines << problems;
    WriteLogLines(nullptr, f.context().programDir, f.clock(), lines);
    QString text = QString::number(withdrawn.size()) + u" unversandte E-Mails des Laufs wurden zurückgezogen."_qs;
    if (!problems.isEmpty())
        text += u'\n' + problems.join(u'\n')
                + u"\nLöschen Sie diese E-Mails aus dem Postausgang, bevor Sie ihn versenden."_qs;
    return text;
}

} // namespace qvl
