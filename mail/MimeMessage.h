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
};
std::optional<OutboxMessage> readOutboxMessage(const QByteArray &message, bool withAttachment = false);

// A header value in RFC 2047 form when it holds anything but printable ASCII, folded into
// encoded words of at most 75 characters; and back.
QByteArray encodedWords(const QString &text);
QString decodedWords(const QByteArray &value);

// Quoted-printable (RFC 2045) of UTF-8 text with CR LF line ends, lines at most 76
// characters.
QByteArray quotedPrintable(const QString &text);

} // namespace qvl
