#include "mail/MimeMessage.h"

#include "mail/MailAddress.h"

#include <QList>
#include <QLocale>
#include <QUuid>

#include <algorithm>
#include <cstring>

namespace qvl {

namespace {

constexpr char kCrlf[] = "\r\n";
// The program's own header lines: what the sending and the paper list need to name the owner.
constexpr char kOwnerHeader[] = "X-QVL32-Waldbesitzer";
constexpr char kOwnerNameHeader[] = "X-QVL32-Name";
constexpr char kRunHeader[] = "X-QVL32-Lauf";
constexpr char kIssuedHeader[] = "X-QVL32-Ausgestellt";
constexpr char kKindHeader[] = "X-QVL32-Beleg";
constexpr char kYearHeader[] = "X-QVL32-Jahr";
constexpr char kFeeTypeHeader[] = "X-QVL32-Beitrag";
constexpr char kPersonalHeader[] = "X-QVL32-Personal";
constexpr char kNumberHeader[] = "X-QVL32-Rechnung";

qsizetype nameLength(const char *name)
{
    return qsizetype(std::strlen(name));
}

bool isPlainAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// RFC 5322 date in English, whatever the locale: "Mon, 07 Dec 2026 10:00:00 +0100".
QByteArray rfc5322Date(const QDateTime &t)
{
    const int minutes = t.offsetFromUtc() / 60;
    const int m = std::abs(minutes);
    return QLocale::c().toString(t, u"ddd, dd MMM yyyy HH:mm:ss "_qs).toLatin1()
           + (minutes < 0 ? "-" : "+") + QByteArray::number(m / 60).rightJustified(2, '0')
           + QByteArray::number(m % 60).rightJustified(2, '0');
}

// Every text as encoded words of at most 36 bytes of UTF-8 (48 in base64), never cutting
// a character, one word a line: with the header's name a line stays within 78 characters.
QByteArray encodedWordLines(const QString &text)
{
    QByteArray out;
    QByteArray chunk;
    const auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray c = text.mid(i, n).toUtf8();
        i += n - 1;
        if (chunk.size() + c.size() > 36)
            flush();
        chunk += c;
    }
    flush();
    return out;
}

constexpr qsizetype kLineWidth = 78; // RFC 5322: SHOULD 78, MUST 998

// Plain ASCII folded at its blanks (a fold puts the line break before a blank, so that
// unfolding gives the text back); empty when a word is too long to fit a line.
QByteArray foldedAtBlanks(const QByteArray &ascii, qsizetype firstWidth)
{
    QByteArray out;
    qsizetype width = firstWidth;
    const QList<QByteArray> words = ascii.split(' ');
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArray &word = words.at(i);
        if (word.size() + 1 > kLineWidth)
            return {};
        if (i == 0) {
            out += word;
            width += word.size();
            continue;
        }
        // A line of blanks only is no line of a header: never fold before an empty word.
        if (!word.isEmpty() && width + 1 + word.size() > kLineWidth) {
            out += "\r\n";
            width = 0;
        }
        out += ' ' + word;
        width += 1 + word.size();
    }
    return out;
}

QByteArray mailbox(const QString &name, const QString &address)
{
    const QByteArray ascii = asciiMailAddress(address).toLatin1();
    if (name.trimmed().isEmpty())
        return ascii;
    // A display name longer than a line goes as encoded words, which fold without quotes.
    QByteArray display = name.trimmed().size() > 60 ? encodedWordLines(name.trimmed()) : encodedWords(name.trimmed());
    if (display.startsWith("=?")) {
        // The address on a line of its own when the last word leaves it no room.
        const qsizetype lastLine = display.size() - (display.lastIndexOf('\n') + 1)
                                   + (display.contains('\n') ? 0 : 6); // "From: " shares the first line
        return display + (lastLine + ascii.size() + 3 > kLineWidth ? "\r\n <" : " <") + ascii + '>';
    }
    return '"' + display.replace('\\', "\\\\").replace('"', "\\\"") + "\" <" + ascii + '>';
}

QByteArray base64Lines(const QByteArray &bytes)
{
    const QByteArray b64 = bytes.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76) {
        out.append(b64.constData() + i, std::min<qsizetype>(76, b64.size() - i));
        out.append(kCrlf);
    }
    return out;
}

// The header lines, unfolded, as (lower-case name, value).
QList<std::pair<QByteArray, QByteArray>> headerLines(const QByteArray &head)
{
    QList<std::pair<QByteArray, QByteArray>> lines;
    for (const QByteArray &raw : head.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        // Unfolding takes the line break away and nothing else (RFC 5322 §2.2.3).
        if ((line.startsWith(' ') || line.startsWith('\t')) && !lines.isEmpty()) {
            lines.last().second += line;
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            lines.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1)});
    }
    for (auto &[name, value] : lines)
        value = value.trimmed();
    return lines;
}

QByteArray headerValue(const QList<std::pair<QByteArray, QByteArray>> &lines, const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const auto &[n, v] : lines)
        if (n == lower)
            return v;
    return {};
}

QByteArray between(const QByteArray &value, char open, char close)
{
    const qsizetype a = value.lastIndexOf(open);
    const qsizetype b = value.indexOf(close, a + 1);
    return a >= 0 && b > a ? value.mid(a + 1, b - a - 1) : value.trimmed();
}

QByteArray headerParameter(const QByteArray &value, const QByteArray &name)
{
    const qsizetype at = value.toLower().indexOf(name.toLower() + '=');
    if (at < 0)
        return {};
    QByteArray rest = value.mid(at + name.size() + 1);
    if (rest.startsWith('"'))
        return rest.mid(1, rest.indexOf('"', 1) - 1);
    const qsizetype end = rest.indexOf(';');
    return (end < 0 ? rest : rest.left(end)).trimmed();
}

// The base64 body of the message's PDF part.
QByteArray pdfAttachment(const QByteArray &message, const QByteArray &boundary, QString *name)
{
    const QByteArray delimiter = "--" + boundary;
    for (qsizetype at = message.indexOf(delimiter); at >= 0;) {
        const qsizetype next = message.indexOf(delimiter, at + delimiter.size());
        const QByteArray part = message.mid(at + delimiter.size(), next < 0 ? -1 : next - at - delimiter.size());
        const qsizetype blank = part.indexOf("\r\n\r\n");
        if (blank >= 0) {
            const auto lines = headerLines(part.left(blank));
            if (headerValue(lines, "Content-Type").toLower().startsWith("application/pdf")) {
                *name = QString::fromUtf8(headerParameter(headerValue(lines, "Content-Disposition"), "filename"));
                return QByteArray::fromBase64(part.mid(blank + 4));
            }
        }
        at = next;
    }
    return {};
}

} // namespace

QByteArray encodedWords(const QString &text)
{
    if (isPlainAscii(text))
        return text.toLatin1();
    return encodedWordLines(text);
}

QByteArray headerText(const QString &text, qsizetype nameLength)
{
    if (!isPlainAscii(text))
        return encodedWordLines(text);
    const QByteArray ascii = text.toLatin1();
    const qsizetype firstWidth = nameLength + 2;
    if (firstWidth + ascii.size() <= kLineWidth)
        return ascii;
    // Blanks at either end would be lost to the reader's unfolding; a word longer than a
    // line cannot be folded at all: encoded words for both.
    if (ascii.startsWith(' ') || ascii.endsWith(' '))
        return encodedWordLines(text);
    const QByteArray folded = foldedAtBlanks(ascii, firstWidth);
    return folded.isEmpty() ? encodedWordLines(text) : folded;
}

QString decodedWords(const QByteArray &value)
{
    QByteArray bytes;
    qsizetype at = 0;
    while (at < value.size()) {
        const qsizetype start = value.indexOf("=?UTF-8?B?", at);
        if (start < 0) {
            bytes += value.mid(at);
            break;
        }
        const QByteArray gap = value.mid(at, start - at);
        if (!gap.trimmed().isEmpty()) // blanks between encoded words belong to the folding
            bytes += gap;
        const qsizetype end = value.indexOf("?=", start + 10);
        if (end < 0) {
            bytes += value.mid(start);
            break;
        }
        bytes += QByteArray::fromBase64(value.mid(start + 10, end - start - 10));
        at = end + 2;
    }
    return QString::fromUtf8(bytes);
}

QByteArray quotedPrintable(const QString &text)
{
    QByteArray out;
    const QStringList lines = QString(text).replace(u"\r\n"_qs, u"\n"_qs).split(u'\n');
    for (const QString &line : lines) {
        const QByteArray utf8 = line.toUtf8();
        QByteArray encoded;
        int width = 0;
        for (qsizetype i = 0; i < utf8.size(); ++i) {
            const uchar c = uchar(utf8.at(i));
            const bool last = i + 1 == utf8.size();
            // Blanks at a line's end and "=" must be encoded; a lone "." stays, the
            // sending escapes it.
            const bool plain = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
            const QByteArray piece = plain ? QByteArray(1, char(c))
                                           : '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            if (width + piece.size() > 75) {
                encoded += "=\r\n";
                width = 0;
            }
            encoded += piece;
            width += int(piece.size());
        }
        out += encoded + kCrlf;
    }
    return out;
}

QString newMessageId(const QString &sender, const QDateTime &now)
{
    const qsizetype at = sender.lastIndexOf(u'@');
    const QString domain = at >= 0 ? asciiMailAddress(sender).mid(at + 1) : u"qvl32.invalid"_qs;
    return now.toUTC().toString(u"yyyyMMddHHmmss"_qs) + u'.' + QUuid::createUuid().toString(QUuid::WithoutBraces)
           + u'@' + (domain.isEmpty() ? u"qvl32.invalid"_qs : domain);
}

QByteArray mimeMessage(const OutgoingMail &m)
{
    const QByteArray boundary = "=_qvl32_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
    QByteArrayList recipients;
    for (const QString &address : m.to)
        recipients.append(asciiMailAddress(address).toLatin1());

    QByteArray out;
    const auto header = [&out](const char *name, const QByteArray &value) {
        out += QByteArray(name) + ": " + value + kCrlf;
    };
    header("Message-ID", '<' + m.messageId.toLatin1() + '>');
    header("Date", rfc5322Date(m.date));
    header("From", mailbox(m.senderName, m.sender));
    if (!m.replyTo.isEmpty())
        header("Reply-To", asciiMailAddress(m.replyTo).toLatin1());
    header("To", recipients.join(",\r\n "));
    header("Subject", headerText(m.subject, 7));
    header("MIME-Version", "1.0");
    header(kOwnerHeader, QByteArray::number(qint64(m.owner)));
    header(kOwnerNameHeader, headerText(m.ownerName, nameLength(kOwnerNameHeader)));
    if (!m.issue.run.isEmpty()) {
        header(kRunHeader, m.issue.run.toLatin1());
        header(kIssuedHeader, m.issue.issued.toString(Qt::ISODateWithMs).toLatin1());
        header(kKindHeader, headerText(m.issue.kind, nameLength(kKindHeader)));
        header(kYearHeader, headerText(m.issue.year, nameLength(kYearHeader)));
        header(kFeeTypeHeader, headerText(m.issue.feeType, nameLength(kFeeTypeHeader)));
        header(kPersonalHeader, QByteArray::number(qint64(m.issue.personal)));
        if (!m.issue.number.isEmpty())
            header(kNumberHeader, headerText(m.issue.number, nameLength(kNumberHeader)));
    }
    header("Content-Type", "multipart/mixed;\r\n boundary=\"" + boundary + '"');
    out += kCrlf;
    out += "--" + boundary + kCrlf;
    header("Content-Type", "text/plain; charset=UTF-8");
    header("Content-Transfer-Encoding", "quoted-printable");
    out += kCrlf + quotedPrintable(m.body);
    out += "--" + boundary + kCrlf;
    const QByteArray fileName = m.attachmentName.toUtf8();
    header("Content-Type", "application/pdf; name=\"" + fileName + '"');
    header("Content-Disposition", "attachment; filename=\"" + fileName + '"');
    header("Content-Transfer-Encoding", "base64");
    out += kCrlf + base64Lines(m.attachment);
    out += "--" + boundary + "--" + kCrlf;
    return out;
}

std::optional<OutboxMessage> readOutboxMessage(const QByteArray &message, bool withAttachment)
{
    const qsizetype blank = message.indexOf("\r\n\r\n");
    if (blank < 0)
        return std::nullopt;
    const auto lines = headerLines(message.left(blank));
    OutboxMessage m;
    m.messageId = QString::fromLatin1(between(headerValue(lines, "Message-ID"), '<', '>'));
    m.sender = QString::fromLatin1(between(headerValue(lines, "From"), '<', '>'));
    for (const QByteArray &address : headerValue(lines, "To").split(','))
        if (!address.trimmed().isEmpty())
            m.to.append(QString::fromLatin1(between(address, '<', '>')));
    bool ownerOk = false;
    m.owner = headerValue(lines, kOwnerHeader).toLong(&ownerOk);
    m.ownerName = decodedWords(headerValue(lines, kOwnerNameHeader));
    m.subject = decodedWords(headerValue(lines, "Subject"));
    m.issue.run = QString::fromLatin1(headerValue(lines, kRunHeader));
    m.issue.issued = QDateTime::fromString(QString::fromLatin1(headerValue(lines, kIssuedHeader)), Qt::ISODateWithMs);
    m.issue.kind = decodedWords(headerValue(lines, kKindHeader));
    m.issue.year = decodedWords(headerValue(lines, kYearHeader));
    m.issue.feeType = decodedWords(headerValue(lines, kFeeTypeHeader));
    m.issue.personal = headerValue(lines, kPersonalHeader).toLong();
    m.issue.number = decodedWords(headerValue(lines, kNumberHeader));
    if (m.messageId.isEmpty() || m.sender.isEmpty() || m.to.isEmpty() || !ownerOk)
        return std::nullopt;
    if (withAttachment) {
        const QByteArray boundary = headerParameter(headerValue(lines, "Content-Type"), "boundary");
        if (!boundary.isEmpty())
            m.attachment = pdfAttachment(message, boundary, &m.attachmentName);
    }
    return m;
}

} // namespace qvl
