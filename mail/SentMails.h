#pragma once
// The program's own record of the mails the server answered for good (table QVL32_EMAILS,
// see SentMailSql.h). Each row is committed as soon as the answer came, so a kill between
// two mails loses nothing and sends nothing twice.

#include "platform/Database.h"

#include <QHash>
#include <QString>

namespace qvl {

// Creates the table when the database lacks it. Throws DbError.
void ensureMailTables(Database &db);

enum class MailStatus { Sent, Refused };

struct MailRecord {
    MailStatus status = MailStatus::Sent;
    QString answer; // the server's answer to a refused mail
};

// Every recorded mail by its Message-ID. Throws DbError.
QHash<QString, MailRecord> recordedMails(Database &db);

// Throws DbError.
void recordMail(Database &db, const QString &messageId, long owner, const QString &file, MailStatus status,
                const QString &answer = {});

struct JournalEntry;
// Several answers in one transaction: all of them rows, or none.
void recordMails(Database &db, const QList<JournalEntry> &entries);

} // namespace qvl
