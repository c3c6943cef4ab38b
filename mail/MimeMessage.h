#pragma once
// One outbox mail as an Internet message (RFC 5322, MIME): the text and the letter as PDF
// attachment. The outbox keeps the message exactly as it is sent, and what the sending
// needs to know about it (envelope, owner) is read back from its own header lines.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

// Which run issued the mail, and which document of the owner it carries: of each owner's
// document only the latest issue goes out, and a deleted run's mails do not.
struct MailIssue {
    QString run;          // the run's id
    QDateTime issued;     // when the run made it
    QString kind;         // "Rechnung" or "Beitragsbescheid"
    QString year;         // the business year of the fee
    QString feeType;      // the fee's text
    long personal = 0;    // the owner's row in the suite
    QString number;       // the document's invoice number (empty in mails written before
                          // they carried it: the file's name tells it)
};

struct OutgoingMail {
    QString messageId;   // without angle brackets, unique per mail
    QDateTime date;
    QString senderName;  // the association
    QString sender;      // its address
    QString replyTo;     // empty: none
    QStringList to;      // every address of the owner
    QString subject;
    QString body;        // plain text, lines separated by "\n"
    QString attachmentName;
    QByteArray attachment; // the PDF
    long owner = 0;      // the owner's number, for the messages and the paper list
    QString ownerName;
    MailIssue issue;
};

// The message with CR LF line ends, ready for the mail server.
QByteArray mimeMessage(const OutgoingMail &mail);

// A new Message-ID: unique, with the sender's domain on the right.
QString newMessageId(const QString &sender, const QDateTime &now);

// What the sending reads back from an outbox file: the envelope and the owner. The
// attachment only when asked for. std::nullopt when the file is no message of the outbox.
struct OutboxMessage {
    QString messageId;
    QString sender;
    QStringList to;
    long owner = 0;
    QString ownerName;
    QString subject;
    QString attachmentName;
    QByteArray attachment;
    MailIssue issue;      // empty fields for a mail written before runs named theirs
};
std::optional<OutboxMessage> readOutboxMessage(const QByteArray &message, bool withAttachment = false);

// A header value in RFC 2047 form when it holds anything but printable ASCII, folded into
// encoded words of at most 75 characters; and back.
QByteArray encodedWords(const QString &text);
QString decodedWords(const QByteArray &value);

// A header's unstructured value within RFC 5322's line limits: plain ASCII as it is, folded
// at its blanks when longer than a line; encoded words for anything else and for a word too
// long to fold. nameLength: the header name's, which shares the first line.
QByteArray headerText(const QString &text, qsizetype nameLength);

// Quoted-printable (RFC 2045) of UTF-8 text with CR LF line ends, lines at most 76
// characters.
QByteArray quotedPrintable(const QString &text);

} // namespace qvl
