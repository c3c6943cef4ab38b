#pragma once
// What the sending of an outbox was answered, one line per mail, appended before the next
// mail goes and synced with that mail's mark: one quick sync per mail where a row committed
// into the suite's database costs several. The rows follow into QVL32_EMAILS in groups; a send killed before
// its rows were committed finds their answers here, so no taken mail goes out twice.
// Before a mail's text goes, a line marks it as on its way ("unterwegs", with the time): a
// kill while the server holds its answer leaves that mark, and the mail is named as maybe
// delivered instead of going again. A mail the server did not take after all gets a line
// "offen" that takes the mark back.

#include "mail/SentMails.h"

#include <QFile>
#include <QList>
#include <QString>

namespace qvl {

struct JournalEntry {
    QString messageId;
    long owner = 0;
    QString file;
    MailStatus status = MailStatus::Sent; // Uncertain: the mark of a mail on its way
    QString answer;                       // with Uncertain the mark's time (ISO)
};

class SendJournal {
public:
    // The journal of the outbox in `folder` (a hidden file of its own there).
    explicit SendJournal(const QString &folder);

    // Every whole line of the journal; a line cut short by a kill is no answer.
    QList<JournalEntry> read() const;
    // What the journal says of each mail in the end: its last line, in the order the mails
    // were first named; a mark taken back ("offen") stays as Open.
    QList<JournalEntry> lastAnswers() const;
    // Appends the answer and syncs it, with every line written before, to the disk; false
    // with a German reason otherwise. Without `sync` the line is written and left to the next
    // line that is synced: a kill of the program does not lose it, only a power cut can.
    bool append(const JournalEntry &entry, QString *reason, bool sync = true);
    // Syncs the lines written without it.
    bool sync(QString *reason);
    // Once every answer is a row of the table the journal is not needed any more.
    bool remove();

    QString path() const { return m_path; }

private:
    QString m_path;
    QFile m_file;
};

} // namespace qvl
