#pragma once
// The program's own record of the mails the server answered for good (table QVL32_EMAILS,
// see SentMailSql.h). Each row is committed as soon as the answer came, so a kill between
// two mails loses nothing and sends nothing twice.

#include "db/Database.h"

#include <QHash>
#include <QString>

namespace qvl {

// Creates the table when the database lacks it. Throws DbError.
void ensureMailTables(Database &db);

// Sent, Refused: answered for good. Uncertain: the whole mail went and no answer came (or
// the program ended while it was awaited): it may have been delivered, and goes again only
// when the clerk says so. Open: nothing of the mail was taken after all — no row.
enum class MailStatus { Sent, Refused, Uncertain, Open };

struct MailRecord {
    MailStatus status = MailStatus::Sent;
    QString answer; // the server's answer to a refused mail; since when an uncertain one is
                    // (ISO date and time)
    long owner = 0;
    QString file;
};

// Every recorded mail by its Message-ID. Throws DbError.
QHash<QString, MailRecord> recordedMails(Database &db);

// Throws DbError.
void recordMail(Database &db, const QString &messageId, long owner, const QString &file, MailStatus status,
                const QString &answer = {});

struct JournalEntry;
// Several answers in one transaction: all of them rows, or none. An answer replaces the
// row of the same mail (an uncertain mail sent again); Open only removes it.
void recordMails(Database &db, const QList<JournalEntry> &entries);

} // namespace qvl
