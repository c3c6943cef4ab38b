// What an outbox mail is made of: the owners' addresses as the suite keeps them, the
// message as the mail server and the member's program read it, the texts from the models.
#include "mail/MailAddress.h"
#include "mail/MimeMessage.h"
#include "models/MailModels.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace qvl;

TEST(MailAddress, FieldsOfTheSuiteGiveEveryAddressOrNone)
{
    struct Case {
        const char16_t *field;
        QStringList addresses;
    };
    const Case cases[] = {
        {u"anna.huber@example.org", {u"anna.huber@example.org"_qs}},
        {u"  anna@example.org ; bernd@wald.de ", {u"anna@example.org"_qs, u"bernd@wald.de"_qs}},
        {u"anna@example.org,bernd@wald.de;", {u"anna@example.org"_qs, u"bernd@wald.de"_qs}},
        {u"anna@example.org; ANNA@example.org", {u"anna@example.org"_qs}},
        {u"försterei@wald-müller.de", {}}, // umlauts in the local part: no server takes them
        {u"info@wald-müller.de", {u"info@wald-müller.de"_qs}},
        {u"o'brien+fbg@sub.example.co.uk", {u"o'brien+fbg@sub.example.co.uk"_qs}},
        {u"", {}},
        {u" ; , ", {}},
        {u"anna@example", {}},            // no dot in the domain
        {u"anna.example.org", {}},        // no @
        {u"anna@@example.org", {}},
        {u"anna huber@example.org", {}},  // a blank
        {u".anna@example.org", {}},
        {u"anna..huber@example.org", {}},
        {u"anna@-wald.de", {}},
        {u"Anna Huber <anna@example.org>", {}}, // a display name is no address
        {u"anna@example.org; kaputt", {}},      // one bad address: the owner gets paper
        // A control character anywhere would reach a header line or the RCPT command.
        {u"anna\n@example.org", {}},
        {u"anna@example.org\nBcc: x@y.de", {}},
        {u"anna@exam\rple.org", {}},
        {u"anna\u2028@example.org", {}},
        {u"anna@example.org\t", {u"anna@example.org"_qs}}, // blanks around an address go
    };
    for (const Case &c : cases)
        EXPECT_EQ(mailAddresses(QString::fromUtf16(c.field)), c.addresses) << QString::fromUtf16(c.field).toStdString();
    EXPECT_EQ(asciiMailAddress(u"info@wald-müller.de"_qs), u"info@xn--wald-mller-feb.de"_qs);
    EXPECT_EQ(shownField(u"a@b.de\r\nBcc: x\t\x1b\u0085\u2028 Jürgen"_qs), u"a@b.de\\r\\nBcc: x\\t\\x1B\\x85\\x2028 Jürgen"_qs);
}

namespace {

OutgoingMail sampleMail()
{
    OutgoingMail m;
    m.messageId = u"20261206090000.abc@fbg-hochwald.de"_qs;
    m.date = QDateTime(QDate(2026, 12, 6), QTime(10, 0), QTimeZone(3600));
    m.senderName = u"Forstbetriebsgemeinschaft Hochwald e.V. – Geschäftsstelle Süd"_qs;
    m.sender = u"info@fbg-hochwald.de"_qs;
    m.replyTo = u"kasse@fbg-hochwald.de"_qs;
    m.to = {u"anna@example.org"_qs, u"buero@wald-müller.de"_qs};
    m.subject = u"Rechnung 501 – Mitgliedsbeitrag 2026 für Ihre Waldflächen in Großweil und Schönrain"_qs;
    m.body = u"Guten Tag Frau Müller,\n\nanbei Ihre Rechnung über 1.234,50 €. \n=Ende\n."_qs;
    m.attachmentName = u"Rechnung_501.pdf"_qs;
    for (int i = 0; i < 3000; ++i)
        m.attachment.append(char(i * 7));
    m.owner = 1042;
    m.ownerName = u"Jürgen Weiß"_qs;
    return m;
}

} // namespace

TEST(MimeMessage, ReadsBackWhatItWroteAndKeepsTheLineRules)
{
    const OutgoingMail m = sampleMail();
    const QByteArray message = mimeMessage(m);
    const std::optional<OutboxMessage> read = readOutboxMessage(message, true);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->messageId, m.messageId);
    EXPECT_EQ(read->sender, m.sender);
    EXPECT_EQ(read->to, (QStringList{u"anna@example.org"_qs, u"buero@xn--wald-mller-feb.de"_qs}));
    EXPECT_EQ(read->owner, 1042);
    EXPECT_EQ(read->ownerName, m.ownerName);
    EXPECT_EQ(read->subject, m.subject);
    EXPECT_EQ(read->attachmentName, m.attachmentName);
    EXPECT_EQ(read->attachment, m.attachment);

    // Internet mail: CR LF only, no line beyond 78 characters, headers plain ASCII.
    const QByteArrayList lines = message.split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(line.endsWith('\r')) << line.constData();
        EXPECT_LE(line.size(), 79) << line.constData();
    }
    const QByteArray head = message.left(message.indexOf("\r\n\r\n"));
    for (const char c : head)
        EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
    EXPECT_TRUE(head.contains("Message-ID: <20261206090000.abc@fbg-hochwald.de>"));
    EXPECT_TRUE(head.contains("Date: Sun, 06 Dec 2026 10:00:00 +0100"));
    EXPECT_TRUE(head.contains("Reply-To: kasse@fbg-hochwald.de"));
}

TEST(MimeMessage, TextPartsSurviveTheirEncodings)
{
    const QString texts[] = {u"Grüße aus dem Wald"_qs, u"plain ascii"_qs, QString(40, QChar(u'ß')) + u"😀"_qs,
                             u"Ende mit Blank "_qs};
    for (const QString &text : texts) {
        const QByteArray words = encodedWords(text);
        for (const QByteArray &line : words.split('\n'))
            EXPECT_LE(line.trimmed().size(), 75) << words.constData();
        EXPECT_EQ(decodedWords(QByteArray(words).replace("\r\n", "")), text);
    }
    // Quoted-printable: "=" and a line's last blank encoded, long lines broken softly.
    const QByteArray qp = quotedPrintable(u"a=b \n"_qs + QString(100, u'x') + u"\nÄ"_qs);
    EXPECT_TRUE(qp.startsWith("a=3Db=20\r\n"));
    EXPECT_TRUE(qp.contains("=\r\n"));
    EXPECT_TRUE(qp.endsWith("=C3=84\r\n"));
}

// Long names and subjects (the suite's fields take any length, a model any subject): every
// header line within RFC 5322's limits, and each text read back as it was.
TEST(MimeMessage, EveryHeaderLineIsFoldedWithinTheLimits)
{
    QString words;
    for (int i = 0; words.size() < 1200; ++i)
        words += u"Waldgenossenschaft"_qs + QString::number(i) + u' ';
    words = words.trimmed();
    const QString texts[] = {
        QString(1200, u'A'),                                  // one word: cannot be folded at a blank
        words,                                                // ASCII with blanks: folded at them
        u"Anna  und   Bernd "_qs + QString(200, u'x') + u" Huber"_qs, // blanks in a row, a long word
        u"Müller "_qs.repeated(200),                          // not ASCII
        u" führender und folgender Blank "_qs,
        u"Rechnung 501"_qs,                                   // short: as it is
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        OutgoingMail m = sampleMail();
        m.ownerName = text;
        m.subject = text;
        m.senderName = text;
        const QByteArray message = mimeMessage(m);
        const QByteArray head = message.left(message.indexOf("\r\n\r\n"));
        for (const QByteArray &line : head.split('\n')) {
            EXPECT_LE(line.size(), 79) << line.left(100).constData();
            EXPECT_FALSE(line.trimmed().isEmpty()); // no line of blanks only
        }
        const std::optional<OutboxMessage> read = readOutboxMessage(message);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->ownerName, text);
        EXPECT_EQ(read->subject, text);
        EXPECT_EQ(read->sender, m.sender);
    }
    EXPECT_EQ(headerText(u"Rechnung 501"_qs, 7), QByteArray("Rechnung 501"));
    EXPECT_FALSE(headerText(words, 7).startsWith("=?")); // plain folding where blanks allow it
}

TEST(MailModels, PlaceholdersFilledOnceAndSubjectOnOneLine)
{
    const MailPlaceholders v{u"Anna Huber"_qs, u"501"_qs, u"1.234,50 €"_qs, u"15.01.2027"_qs, u"{Name} e.V."_qs};
    struct Case {
        const char16_t *model;
        const char16_t *text;
        const char16_t *subject;
    };
    const Case cases[] = {
        {u"Rechnung {Rechnungsnummer}", u"Rechnung 501", u"Rechnung 501"},
        {u"{Name}: {Betrag} bis {Fälligkeit}", u"Anna Huber: 1.234,50 € bis 15.01.2027",
         u"Anna Huber: 1.234,50 € bis 15.01.2027"},
        {u"{Verein} / {Unbekannt} / {Name", u"{Name} e.V. / {Unbekannt} / {Name", u"{Name} e.V. / {Unbekannt} / {Name"},
        {u"Zeile 1 {Name}\r\nZeile 2", u"Zeile 1 Anna Huber\r\nZeile 2", u"Zeile 1 Anna Huber"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(filledMailText(QString::fromUtf16(c.model), v), QString::fromUtf16(c.text));
        EXPECT_EQ(filledMailSubject(QString::fromUtf16(c.model), v), QString::fromUtf16(c.subject));
    }
}
