#include "mail/SentMails.h"

#include "mail/SendJournal.h"
#include "mail/SentMailSql.h"

#include <QDir>

namespace qvl {

namespace {

constexpr char16_t kSent[] = u"gesendet";
constexpr char16_t kRefused[] = u"abgelehnt";
constexpr char16_t kUncertain[] = u"unsicher";

QString statusText(MailStatus status)
{
    switch (status) {
    case MailStatus::Refused:
        return QString::fromUtf16(kRefused);
    case MailStatus::Uncertain:
        return QString::fromUtf16(kUncertain);
    default:
        return QString::fromUtf16(kSent);
    }
}

} // namespace

void ensureMailTables(Database &db)
{
    QSqlQuery exists = db.run(db.sql(sent_mail_sql::kTableExists));
    if (!(exists.next() && exists.value(0).toInt() > 0))
        db.run(db.sql(sent_mail_sql::kCreateTable));
}

QHash<QString, MailRecord> recordedMails(Database &db)
{
    QHash<QString, MailRecord> records;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(sent_mail_sql::kAll));
    while (rows->next()) {
        MailRecord r;
        const QString status = rows->text(1);
        r.status = status == QStringView(kRefused)     ? MailStatus::Refused
                   : status == QStringView(kUncertain) ? MailStatus::Uncertain
                                                       : MailStatus::Sent;
        r.answer = rows->text(2);
        r.owner = long(rows->integer(3));
        r.file = rows->text(4);
        records.insert(rows->text(0), r);
    }
    return records;
}

void recordMail(Database &db, const QString &messageId, long owner, const QString &file, MailStatus status,
                const QString &answer)
{
    db.run(db.sql(sent_mail_sql::kRecord),
           {messageId, qlonglong(owner), QDir::toNativeSeparators(file), statusText(status), answer.left(1000)});
}

void recordMails(Database &db, const QList<JournalEntry> &entries)
{
    if (entries.isEmpty())
        return;
    Transaction transaction(db);
    for (const JournalEntry &e : entries) {
        db.run(db.sql(sent_mail_sql::kForget), {e.messageId});
        if (e.status != MailStatus::Open)
            recordMail(db, e.messageId, e.owner, e.file, e.status, e.answer);
    }
    transaction.commit();
}

} // namespace qvl
