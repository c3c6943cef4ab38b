#pragma once
// What the sending of an outbox was answered, one line per mail, appended and synced before
// the next mail goes: one quick sync per mail where a row committed into the suite's
// database costs several. The rows follow into QVL32_EMAILS in groups; a send killed before
// its rows were committed finds their answers here, so no taken mail goes out twice.

#include "mail/SentMails.h"

#include <QFile>
#include <QList>
#include <QString>

namespace qvl {

struct JournalEntry {
    QString messageId;
    long owner = 0;
    QString file;
    MailStatus status = MailStatus::Sent;
    QString answer;
};

class SendJournal {
public:
    // The journal of the outbox in `folder` (a hidden file of its own there).
    explicit SendJournal(const QString &folder);

    // Every whole line of the journal; a line cut short by a kill is no answer.
    QList<JournalEntry> read() const;
    // Appends the answer and syncs it to the disk; false with a German reason otherwise.
    bool append(const JournalEntry &entry, QString *reason);
    // Once every answer is a row of the table the journal is not needed any more.
    bool remove();

    QString path() const { return m_path; }

private:
    QString m_path;
    QFile m_file;
};

} // namespace qvl
