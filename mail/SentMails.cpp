#include "mail/SentMails.h"

#include "mail/SendJournal.h"
#include "mail/SentMailSql.h"

#include <QDir>

namespace qvl {

namespace {

constexpr char16_t kSent[] = u"gesendet";
constexpr char16_t kRefused[] = u"abgelehnt";

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
        r.status = rows->text(1) == QStringView(kRefused) ? MailStatus::Refused : MailStatus::Sent;
        r.answer = rows->text(2);
        records.insert(rows->text(0), r);
    }
    return records;
}

void recordMail(Database &db, const QString &messageId, long owner, const QString &file, MailStatus status,
                const QString &answer)
{
    db.run(db.sql(sent_mail_sql::kRecord),
           {messageId, qlonglong(owner), QDir::toNativeSeparators(file),
            QString::fromUtf16(status == MailStatus::Refused ? kRefused : kSent), answer.left(1000)});
}

void recordMails(Database &db, const QList<JournalEntry> &entries)
{
    if (entries.isEmpty())
        return;
    Transaction transaction(db);
    for (const JournalEntry &e : entries)
        recordMail(db, e.messageId, e.owner, e.file, e.status, e.answer);
    transaction.commit();
}

} // namespace qvl
