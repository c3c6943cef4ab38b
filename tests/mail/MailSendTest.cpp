// Sending an outbox to a real mail server on a loopback port: STARTTLS, login, refusals
// for good and for now, a server that is away or offers no encryption, a send that is
// cancelled and resumed. Each mail is answered once: never sent twice, never lost.
#include "mail/MailSending.h"
#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SentMails.h"
#include "mail/SmtpTestServer.h"
#include "mail/UnsentLetters.h"
#include "db/Database.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>

using namespace qvl;
using namespace qvl::test;

namespace {

// A tiny PDF of `pages` pages, different per owner.
QByteArray letterPdf(int owner, int pages)
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    QByteArray kids;
    const int first = 3;
    for (int p = 0; p < pages; ++p)
        kids += QByteArray::number(first + p) + " 0 R ";
    const auto object = [&](int n, const QByteArray &body) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(n) + " 0 obj\n" + body + "\nendobj\n";
    };
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>");
    for (int p = 0; p < pages; ++p)
        object(first + p, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(500 + owner) +
                              " 842] >>");
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype o : offsets)
        pdf += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

std::unique_ptr<Database> openDatabase(const QString &file)
{
    QFile empty(file); // the embedded database must exist to be opened
    empty.open(QIODevice::WriteOnly);
    empty.close();
    return Database::open(u"Provider=SQLite;Data Source="_qs + file);
}

struct Outbox {
    QTemporaryDir dir;
    QString folder = dir.filePath(u"E-Mails"_qs);
    std::unique_ptr<Database> db = openDatabase(dir.filePath(u"suite.sqlite"_qs));
    QStringList ids;

    explicit Outbox(int mails)
    {
        QDir().mkpath(folder);
        for (int i = 1; i <= mails; ++i) {
            OutgoingMail m;
            m.messageId = newMessageId(u"info@fbg-hochwald.de"_qs, QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
            m.date = QDateTime(QDate(2026, 12, 6), QTime(10, 0));
            m.senderName = u"FBG Hochwald e.V."_qs;
            m.sender = u"info@fbg-hochwald.de"_qs;
            m.to = {u"owner"_qs + QString::number(i) + u"@example.org"_qs};
            m.subject = u"Rechnung "_qs + QString::number(500 + i);
            m.body = u"Guten Tag,\nanbei Ihre Rechnung."_qs;
            m.attachmentName = u"Rechnung_"_qs + QString::number(500 + i) + u".pdf"_qs;
            m.attachment = letterPdf(i, 1 + i % 2);
            m.owner = 1000 + i;
            m.ownerName = u"Wald Besitzer "_qs + QString::number(i);
            QFile file(folder + u'/' + outboxFileName(QString::number(500 + i), m.owner));
            file.open(QIODevice::WriteOnly);
            file.write(mimeMessage(m));
            ids.append(m.messageId);
        }
    }

    MailSettings settings(const SmtpTestServer &server) const
    {
        MailSettings s;
        s.server = u"127.0.0.1"_qs;
        s.port = server.port();
        s.user = u"verein"_qs;
        s.caFile = server.certificate();
        return s;
    }

    SendOutcome send(const MailSettings &s, const SendCallbacks &callbacks = {})
    {
        return sendOutbox(folder, s, QByteArray(kSmtpPassword), *db, callbacks);
    }
};

QStringList messageIds(const QList<ReceivedMail> &mails)
{
    QStringList ids;
    for (const ReceivedMail &m : mails)
        ids.append(readOutboxMessage(m.data).value_or(OutboxMessage{}).messageId);
    return ids;
}

} // namespace

TEST(MailSending, EveryMailOnceOverStartTlsWithLoginAndNoneAgain)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Outbox box(4);
    QList<int> progress;
    const SendOutcome first = box.send(box.settings(server), {[&](int done, int) { progress.append(done); }, {}});
    EXPECT_EQ(first.sent, 4) << first.stopReason.toStdString();
    EXPECT_EQ(first.pending(), 0);
    EXPECT_EQ(progress, (QList<int>{1, 2, 3, 4}));

    const QList<ReceivedMail> got = server.received();
    ASSERT_EQ(got.size(), 4);
    QStringList ids = messageIds(got);
    ids.sort();
    QStringList expected = box.ids;
    expected.sort();
    EXPECT_EQ(ids, expected);
    for (const ReceivedMail &m : got) {
        EXPECT_TRUE(m.tls);
        EXPECT_EQ(m.from, u"info@fbg-hochwald.de"_qs);
        const OutboxMessage read = *readOutboxMessage(m.data, true);
        EXPECT_EQ(m.to, read.to);
        // The letter arrives byte for byte as the outbox holds it.
        EXPECT_EQ(read.attachment, letterPdf(int(read.owner - 1000), 1 + int(read.owner - 1000) % 2));
    }

    // Everything is answered: a second send sends nothing.
    const SendOutcome second = box.send(box.settings(server));
    EXPECT_EQ(second.sent, 0);
    EXPECT_EQ(second.done, 4);
    EXPECT_EQ(server.received().size(), 4);
}

TEST(MailSending, RefusalsForGoodGoToPaperRefusalsForNowAreSentNextTime)
{
    Outbox box(5);
    {
        SmtpTestServer server({.refuse = {u"owner2@example.org"_qs}, .defer = {u"owner4@example.org"_qs}});
        ASSERT_TRUE(server.started());
        const SendOutcome o = box.send(box.settings(server));
        EXPECT_EQ(o.sent, 3) << o.stopReason.toStdString();
        ASSERT_EQ(o.refused.size(), 1);
        EXPECT_EQ(o.refused.first().owner, 1002);
        EXPECT_TRUE(o.refused.first().reason.contains(u"550"_qs)) << o.refused.first().reason.toStdString();
        ASSERT_EQ(o.deferred.size(), 1);
        EXPECT_EQ(o.deferred.first().owner, 1004);
        EXPECT_EQ(o.pending(), 1);
        const QString text = sendOutcomeLines(o).join(u'\n');
        EXPECT_TRUE(text.contains(u"Abgelehnt, Brief geht auf Papier: Waldbesitzer 1002 Wald Besitzer 2"_qs))
            << text.toStdString();
        EXPECT_TRUE(text.contains(u"wird beim nächsten Versand wiederholt: Waldbesitzer 1004"_qs));
    }
    {
        // The server takes everyone now: only the mail refused for now goes.
        SmtpTestServer server;
        const SendOutcome o = box.send(box.settings(server));
        EXPECT_EQ(o.sent, 1);
        EXPECT_EQ(o.done, 4);
        ASSERT_EQ(server.received().size(), 1);
        EXPECT_EQ(server.received().first().to, QStringList{u"owner4@example.org"_qs});
    }
    // The paper list: the letter of the refused owner alone, all its pages.
    const UnsentLetters paper = writeUnsentLetters(box.folder, *box.db);
    EXPECT_EQ(paper.owners, QStringList{u"1002 Wald Besitzer 2"_qs});
    ASSERT_FALSE(paper.file.isEmpty());
    QPDF pdf;
    pdf.processFile(QFile::encodeName(paper.file).constData());
    EXPECT_EQ(pdf.getAllPages().size(), 1u); // owner 2's letter has one page
}

TEST(MailSending, NothingGoesAndNothingIsLostWhenTheServerCannotBeUsed)
{
    struct Case {
        const char *name;
        ServerOptions server;
        bool away;
        SmtpTls tls;
        bool allowUnencrypted;
        const char16_t *told;
        const char *password = kSmtpPassword;
        bool trusted = true; // the test's certificate made trusted
    };
    const Case cases[] = {
        {"server away", {}, true, SmtpTls::StartTls, false, u"nicht erreichbar"},
        {"no encryption offered", {.tls = false, .login = false}, false, SmtpTls::StartTls, false,
         u"keine Verschlüsselung"},
        {"encryption switched off without leave", {.tls = false, .login = false}, false, SmtpTls::None, false,
         u"Ohne Verschlüsselung"},
        {"wrong password", {}, false, SmtpTls::StartTls, false, u"Anmeldung", "falsch"},
        {"certificate not trusted", {}, false, SmtpTls::StartTls, false, u"SMTPZertifikat", kSmtpPassword, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SmtpTestServer server(c.server);
        ASSERT_TRUE(server.started());
        Outbox box(3);
        MailSettings s = box.settings(server);
        s.tls = c.tls;
        s.allowUnencrypted = c.allowUnencrypted;
        if (!c.trusted)
            s.caFile.clear(); // the system's certificates do not know the test's
        if (c.away)
            s.port = closedPort();
        const SendOutcome o = sendOutbox(box.folder, s, QByteArray(c.password), *box.db);
        EXPECT_EQ(o.sent, 0);
        EXPECT_EQ(o.pending(), 3);
        EXPECT_TRUE(o.refused.isEmpty()); // nobody is moved to paper for the server's fault
        EXPECT_TRUE(o.stopReason.contains(QString::fromUtf16(c.told))) << o.stopReason.toStdString();
        EXPECT_TRUE(server.received().isEmpty());
        EXPECT_TRUE(recordedMails(*box.db).isEmpty());
    }
}

TEST(MailSending, PlainConnectionOnlyWhereTheSettingAllowsIt)
{
    SmtpTestServer server({.tls = false, .login = false});
    Outbox box(2);
    MailSettings s = box.settings(server);
    s.user.clear();
    s.tls = SmtpTls::None;
    s.allowUnencrypted = true;
    const SendOutcome o = box.send(s);
    EXPECT_EQ(o.sent, 2) << o.stopReason.toStdString();
    ASSERT_EQ(server.received().size(), 2);
    EXPECT_FALSE(server.received().first().tls);
}

TEST(MailSending, ImplicitTlsOnTheSubmissionsPort)
{
    SmtpTestServer server({.implicitTls = true});
    ASSERT_TRUE(server.started());
    Outbox box(2);
    MailSettings s = box.settings(server);
    s.tls = SmtpTls::Implicit;
    const SendOutcome o = box.send(s);
    EXPECT_EQ(o.sent, 2) << o.stopReason.toStdString();
    ASSERT_EQ(server.received().size(), 2);
    EXPECT_TRUE(server.received().first().tls);
}

TEST(MailSending, CancelledSendResumesWithoutDuplicates)
{
    SmtpTestServer server;
    Outbox box(6);
    int answered = 0;
    const SendOutcome first =
        box.send(box.settings(server), {[&](int done, int) { answered = done; }, [&] { return answered >= 2; }});
    EXPECT_TRUE(first.cancelled);
    EXPECT_EQ(first.sent, 2);
    EXPECT_EQ(first.pending(), 4);
    const SendOutcome second = box.send(box.settings(server));
    EXPECT_EQ(second.sent, 4);
    EXPECT_EQ(second.done, 2);
    QStringList ids = messageIds(server.received());
    EXPECT_EQ(ids.size(), 6);
    ids.removeDuplicates();
    EXPECT_EQ(ids.size(), 6);
}

TEST(MailSending, RateLimitSpacesTheMails)
{
    // 600 a minute: one every 100 ms, so three mails take at least 200 ms.
    SmtpTestServer server;
    Outbox box(3);
    MailSettings s = box.settings(server);
    s.perMinute = 600;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(box.send(s).sent, 3);
    EXPECT_GE(timer.elapsed(), 200);
}

TEST(MailSending, ThePasswordIsNowhereInFilesOrOutput)
{
    SmtpTestServer server({.refuse = {u"owner1@example.org"_qs}});
    Outbox box(2);
    const SendOutcome o = box.send(box.settings(server));
    EXPECT_EQ(o.sent, 1);
    const QByteArray secret(kSmtpPassword);
    EXPECT_FALSE(sendOutcomeLines(o).join(u'\n').toUtf8().contains(secret));
    box.db.reset(); // the database file whole on the disk
    QDirIterator files(box.dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_FALSE(bytes.contains(secret)) << file.fileName().toStdString();
        EXPECT_FALSE(bytes.contains(secret.toBase64())) << file.fileName().toStdString();
    }
}

// The answers of a send that was stopped before they became rows: each is in the journal
// of the outbox, whole or cut short by the kill, and a send on another desk waits its turn.
TEST(MailSending, JournaledAnswersAreNeverSentAgainAndOneDeskSendsAtATime)
{
    struct Case {
        const char *name;
        QByteArray journalTail; // written after the journaled answers of mails 1 and 2
        int sentNow;
    };
    const Case cases[] = {
        {"two whole lines", {}, 3},
        // A line cut short is no answer: its mail goes (the kill came before it was synced).
        {"a third line cut short", "x", 3},
        {"a third line cut in its status", "\t1003\tf.eml\tgesen", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SmtpTestServer server;
        ASSERT_TRUE(server.started());
        Outbox box(5);
        SendJournal journal(box.folder);
        QString reason;
        ASSERT_TRUE(journal.append({box.ids.at(0), 1001, u"a.eml"_qs, MailStatus::Sent, {}}, &reason));
        ASSERT_TRUE(journal.append({box.ids.at(1), 1002, u"b.eml"_qs, MailStatus::Refused, u"550 nein"_qs}, &reason));
        {
            QFile file(journal.path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
            file.write(c.journalTail.isEmpty() ? QByteArray() : box.ids.at(2).toLatin1().left(5) + c.journalTail);
        }

        {
            // Another desk holds the outbox: nothing goes.
            QLockFile other(box.folder + u"/.versand.lock"_qs);
            ASSERT_TRUE(other.tryLock(0));
            const SendOutcome held = box.send(box.settings(server));
            EXPECT_EQ(held.sent, 0);
            EXPECT_TRUE(held.stopReason.contains(u"wird gerade versendet"_qs)) << held.stopReason.toStdString();
            EXPECT_TRUE(server.received().isEmpty());
        }

        const SendOutcome o = box.send(box.settings(server));
        EXPECT_EQ(o.sent, c.sentNow) << o.stopReason.toStdString();
        EXPECT_EQ(o.done, 1);
        // The refusal the stopped send could not report is named now, so its letter reaches paper.
        ASSERT_EQ(o.refused.size(), 1);
        EXPECT_EQ(o.refused.first().owner, 1002);
        EXPECT_TRUE(sendOutcomeLines(o).join(u'\n').contains(u"Abgelehnt, Brief geht auf Papier: Waldbesitzer 1002"_qs));
        QStringList got = messageIds(server.received());
        got.sort();
        QStringList expected = box.ids.mid(2);
        expected.sort();
        EXPECT_EQ(got, expected);
        // Every answer is a row now, the refusal with the server's text, and the journal is gone.
        const QHash<QString, MailRecord> rows = recordedMails(*box.db);
        EXPECT_EQ(rows.size(), 5);
        EXPECT_EQ(rows.value(box.ids.at(1)).status, MailStatus::Refused);
        EXPECT_EQ(rows.value(box.ids.at(1)).answer, u"550 nein"_qs);
        EXPECT_FALSE(QFile::exists(journal.path()));
    }
}

TEST(MailSending, AJournalLineCutShortIsNoAnswerAndSwallowsNoOther)
{
    QTemporaryDir dir;
    QString reason;
    {
        SendJournal journal(dir.path());
        ASSERT_TRUE(journal.append({u"<a@x>"_qs, 1, u"a b.eml"_qs, MailStatus::Sent, {}}, &reason));
    }
    {
        QFile file(SendJournal(dir.path()).path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write("%3Cc%40x%3E\t3\tc.eml\tgesendet"); // the kill came before the line's end
    }
    SendJournal again(dir.path());
    ASSERT_TRUE(again.append({u"<b@x>"_qs, 2, u"b\tc.eml"_qs, MailStatus::Refused, u"550 Postfach\nunbekannt"_qs},
                             &reason));
    const QList<JournalEntry> read = again.read();
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read.at(0).messageId, u"<a@x>"_qs);
    EXPECT_EQ(read.at(0).file, u"a b.eml"_qs);
    // The cut line was ended when the next answer came: whole as far as it goes, it still
    // names a taken mail, and the next answer keeps its own line with tabs and breaks inside.
    EXPECT_EQ(read.at(1).messageId, u"<c@x>"_qs);
    EXPECT_EQ(read.at(2).owner, 2);
    EXPECT_EQ(read.at(2).file, u"b\tc.eml"_qs);
    EXPECT_EQ(read.at(2).status, MailStatus::Refused);
    EXPECT_EQ(read.at(2).answer, u"550 Postfach\nunbekannt"_qs);
}

// A server may check a mail for minutes before it answers its end: the answer is awaited
// (RFC 5321 asks for 10 minutes), the mail recorded once and not sent again.
TEST(MailSending, AnAnswerHeldNinetySecondsIsAwaitedAndTheMailRecordedOnce)
{
    Outbox box(2);
    SmtpTestServer server({.hold = {u"owner1@example.org"_qs}, .holdSeconds = 90});
    ASSERT_TRUE(server.started());
    const SendOutcome o = box.send(box.settings(server));
    EXPECT_EQ(o.sent, 2) << o.stopReason.toStdString();
    EXPECT_TRUE(o.uncertain.isEmpty());
    EXPECT_EQ(recordedMails(*box.db).value(box.ids.at(0)).status, MailStatus::Sent);
    EXPECT_EQ(box.send(box.settings(server)).sent, 0);
    EXPECT_EQ(server.received().size(), 2);
}

// The whole mail went and its answer did not come in time: the server may have taken it.
// It is named with its owner and time, never sent again unasked, and sent when asked.
TEST(MailSending, AMailWhoseAnswerStaysAwayIsNamedAndSentAgainOnlyWhenAsked)
{
    Outbox box(3);
    SmtpTestServer server({.hold = {u"owner1@example.org"_qs}, .holdSeconds = 8});
    ASSERT_TRUE(server.started());
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 15, 30));
    SendCallbacks callbacks;
    callbacks.now = [&] { return at; };
    callbacks.waits.dataEnd = 2;
    const SendOutcome first = box.send(box.settings(server), callbacks);
    EXPECT_EQ(first.sent, 0);
    ASSERT_EQ(first.uncertain.size(), 1);
    EXPECT_EQ(first.uncertain.first().owner, 1001);
    EXPECT_EQ(first.uncertain.first().since, at);
    EXPECT_TRUE(first.stopReason.contains(u"Antwort des Mailservers ausgeblieben"_qs)) << first.stopReason.toStdString();
    EXPECT_FALSE(first.stopReason.contains(u"nicht erreichbar"_qs));
    EXPECT_EQ(first.pending(), 2);
    const QString lines = sendOutcomeLines(first).join(u'\n');
    EXPECT_TRUE(lines.contains(u"Möglicherweise bereits zugestellt (gesendet am 06.12.2026 10:15:30"_qs))
        << lines.toStdString();
    EXPECT_TRUE(lines.contains(u"Waldbesitzer 1001 Wald Besitzer 1"_qs));
    EXPECT_TRUE(lines.contains(u"--resend-uncertain"_qs));
    EXPECT_EQ(recordedMails(*box.db).value(box.ids.at(0)).status, MailStatus::Uncertain);

    // The next send names it again and sends the others only.
    const QList<MailFailure> asked = uncertainMails(box.folder, *box.db);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().owner, 1001);
    EXPECT_EQ(asked.first().ownerName, u"Wald Besitzer 1"_qs);
    EXPECT_EQ(asked.first().since, at);
    const SendOutcome second = box.send(box.settings(server));
    EXPECT_EQ(second.sent, 2) << second.stopReason.toStdString();
    ASSERT_EQ(second.uncertain.size(), 1);
    EXPECT_EQ(second.uncertain.first().since, at);
    EXPECT_EQ(second.pending(), 0);
    EXPECT_EQ(messageIds(server.received()).count(box.ids.at(0)), 1);

    // Asked for: it goes once more and is recorded as sent.
    callbacks.resendUncertain = true;
    const SendOutcome third = box.send(box.settings(server), callbacks);
    EXPECT_EQ(third.sent, 1) << third.stopReason.toStdString();
    EXPECT_TRUE(third.uncertain.isEmpty());
    EXPECT_EQ(messageIds(server.received()).count(box.ids.at(0)), 2);
    EXPECT_EQ(recordedMails(*box.db).value(box.ids.at(0)).status, MailStatus::Sent);
    EXPECT_TRUE(uncertainMails(box.folder, *box.db).isEmpty());
}

// What a kill leaves in the journal: a mark without an answer (the server held it), or a
// mark the stopped mail took back (nothing of it was taken).
TEST(MailSending, AMarkLeftByAKillIsNamedAMarkTakenBackIsSent)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Outbox box(3);
    SendJournal journal(box.folder);
    QString reason;
    ASSERT_TRUE(journal.append({box.ids.at(0), 1001, box.folder + u"/501_1001.eml"_qs, MailStatus::Uncertain,
                                u"2026-12-06T09:59:00"_qs},
                               &reason));
    ASSERT_TRUE(journal.append({box.ids.at(1), 1002, box.folder + u"/502_1002.eml"_qs, MailStatus::Uncertain,
                                u"2026-12-06T10:00:00"_qs},
                               &reason));
    ASSERT_TRUE(journal.append({box.ids.at(1), 1002, box.folder + u"/502_1002.eml"_qs, MailStatus::Open, {}}, &reason));
    // Before the send looks, the question does: the mark is there, the one taken back is not.
    const QList<MailFailure> asked = uncertainMails(box.folder, *box.db);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().owner, 1001);
    EXPECT_EQ(asked.first().since, QDateTime(QDate(2026, 12, 6), QTime(9, 59)));

    const SendOutcome o = box.send(box.settings(server));
    EXPECT_EQ(o.sent, 2) << o.stopReason.toStdString();
    ASSERT_EQ(o.uncertain.size(), 1);
    EXPECT_EQ(o.uncertain.first().owner, 1001);
    QStringList got = messageIds(server.received());
    got.sort();
    QStringList expected = box.ids.mid(1);
    expected.sort();
    EXPECT_EQ(got, expected);
    EXPECT_EQ(recordedMails(*box.db).value(box.ids.at(0)).status, MailStatus::Uncertain);
    EXPECT_FALSE(QFile::exists(journal.path()));
}

// A refusal a stopped send left in the journal only: its letter is printed before any
// other send has entered it.
TEST(MailSending, ARefusalOnlyInTheJournalGoesToPaper)
{
    Outbox box(3);
    SendJournal journal(box.folder);
    QString reason;
    ASSERT_TRUE(journal.append({box.ids.at(0), 1001, u"a.eml"_qs, MailStatus::Sent, {}}, &reason));
    ASSERT_TRUE(journal.append({box.ids.at(2), 1003, u"c.eml"_qs, MailStatus::Uncertain, u"2026-12-06T10:00:00"_qs},
                               &reason));
    ASSERT_TRUE(journal.append({box.ids.at(2), 1003, u"c.eml"_qs, MailStatus::Refused, u"550 unbekannt"_qs}, &reason));
    const UnsentLetters paper = writeUnsentLetters(box.folder, *box.db);
    EXPECT_EQ(paper.owners, QStringList{u"1003 Wald Besitzer 3"_qs});
    EXPECT_FALSE(paper.file.isEmpty());
    EXPECT_TRUE(QFile::exists(journal.path())); // printing changes nothing of the sending
}

// A server that demands a login while no user is set: told as such, with the server's own
// words under "Details", not as a sender the server refuses.
TEST(MailSending, ALoginDemandedWithoutAUserIsToldByItsCause)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Outbox box(2);
    MailSettings s = box.settings(server);
    s.user.clear();
    const SendOutcome o = box.send(s);
    EXPECT_EQ(o.sent, 0);
    EXPECT_EQ(o.pending(), 2);
    EXPECT_TRUE(o.stopReason.contains(u"verlangt eine Anmeldung, in SMTPBenutzer ist aber kein Benutzer"_qs))
        << o.stopReason.toStdString();
    EXPECT_TRUE(o.stopReason.contains(u"\nDetails: "_qs)) << o.stopReason.toStdString();
    EXPECT_FALSE(o.stopReason.contains(u"vom Absender"_qs));
}

// The judge of the mails' runs sees only the mails that are to go; one it names stays in
// the outbox unsent and is told, and is no mail left for later. Once the run is back (the
// judge names nothing), it goes.
TEST(MailSending, AMailWhoseRunIsGoneStaysUnsentAndNamed)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Outbox box(3);
    const QString goneFile = box.folder + u'/' + outboxFileName(u"502"_qs, 1002);
    QList<QStringList> asked;
    bool runBack = false;
    SendCallbacks callbacks;
    callbacks.runsGone = [&](const QList<OutboxEntry> &entries) {
        QStringList paths;
        for (const OutboxEntry &e : entries)
            paths.append(e.path);
        asked.append(paths);
        return runBack ? QHash<QString, QString>{}
                       : QHash<QString, QString>{{goneFile, u"ihr Lauf ist in dieser Datenbank nicht gespeichert"_qs}};
    };
    const SendOutcome o = box.send(box.settings(server), callbacks);
    EXPECT_EQ(o.sent, 2) << o.stopReason.toStdString();
    EXPECT_EQ(o.pending(), 0);
    ASSERT_EQ(o.runGone.size(), 1);
    EXPECT_EQ(o.runGone.first().owner, 1002);
    EXPECT_EQ(server.received().size(), 2);
    EXPECT_FALSE(messageIds(server.received()).contains(box.ids.at(1)));
    EXPECT_TRUE(QFile::exists(goneFile));
    EXPECT_TRUE(sendOutcomeLines(o).join(u'\n').contains(
        u"Nicht gesendet, ihr Lauf ist in dieser Datenbank nicht gespeichert: Waldbesitzer 1002 Wald Besitzer 2"_qs));

    runBack = true;
    const SendOutcome again = box.send(box.settings(server), callbacks);
    EXPECT_EQ(again.sent, 1);
    EXPECT_EQ(again.done, 2);
    EXPECT_TRUE(again.runGone.isEmpty());
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked.at(0).size(), 3);
    EXPECT_EQ(asked.at(1), QStringList{goneFile}); // the mails answered are not judged again
    EXPECT_EQ(server.received().size(), 3);
}
