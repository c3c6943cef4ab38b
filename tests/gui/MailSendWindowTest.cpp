// "E-Mails versenden" in the run's summary: offered when the run filled the outbox, sends
// it to a local mail server while the progress bar counts, then tells what went.
#include "gui/GuiFixture.h"
#include "gui/RunSummaryBox.h"
#include "mail/MimeMessage.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SmtpTestServer.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

using namespace qvl;
using namespace qvl::test;

namespace {

// The settings of a run by mail through the test server: every owner with an address gets
// his letter by mail, no accounting files, the owners' own fee parameters.
std::function<void(QStringList &)> mailingTo(const SmtpTestServer &server)
{
    return [&server](QStringList &s) {
        s.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        s.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        s << u"EMailVersand=Alle mit E-Mail-Adresse"_qs << u"EMailAbsender=info@fbg-hochwald.de"_qs
          << u"SMTPServer=127.0.0.1"_qs << u"SMTPPort="_qs + QString::number(server.port())
          << u"SMTPBenutzer=verein"_qs << u"SMTPZertifikat="_qs + server.certificate();
    };
}

} // namespace

TEST_F(MainWindowTest, TheSummaryOffersToSendTheOutboxAndSendsIt)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    start(mailingTo(server));
    qputenv("QVL32_SMTP_PASSWORD", kSmtpPassword);
    EXPECT_TRUE(widget<QCheckBox>(u"chkEMail"_qs)->isChecked());
    click(widget<QRadioButton>(u"LaoderRe(1)"_qs));
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    const int mails = int(QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs}).size());
    ASSERT_GT(mails, 0) << ui.texts().join(u'|').toStdString();

    auto *box = window->findChild<RunSummaryBox *>(u"frmRunSummary"_qs);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->findChild<QLabel *>(u"lblSummary"_qs)->text().contains(u"Briefe per E-Mail: "_qs
                                                                             + QString::number(mails)));
    auto *send = box->findChild<QPushButton *>(u"cmdSendMails"_qs);
    ASSERT_NE(send, nullptr);
    ui.messages.clear();
    QTest::mouseClick(send, Qt::LeftButton);
    qunsetenv("QVL32_SMTP_PASSWORD");
    EXPECT_EQ(server.received().size(), mails);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().text.startsWith(u"E-Mails gesendet: "_qs + QString::number(mails)))
        << ui.messages.last().text.toStdString();
    EXPECT_EQ(ui.messages.last().title, u"E-Mails versenden"_qs);

    // The main window sends the outbox later too: everything has gone, nothing goes twice.
    ui.messages.clear();
    QTest::mouseClick(widget<QPushButton>(u"btnEMails"_qs), Qt::LeftButton);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().text.contains(u"schon vorher gesendet oder abgelehnt: "_qs + QString::number(mails)))
        << ui.messages.last().text.toStdString();
    EXPECT_EQ(server.received().size(), mails);
    // An empty outbox is said so.
    QDir(ws.root() + u"/E-Mails"_qs).removeRecursively();
    QTest::mouseClick(widget<QPushButton>(u"btnEMails"_qs), Qt::LeftButton);
    EXPECT_TRUE(ui.messages.last().text.contains(u"liegen keine E-Mails"_qs)) << ui.messages.last().text.toStdString();

    // Without mails the summary offers no sending.
    RunSummary summary;
    summary.billed = 3;
    RunSummaryBox plain(summary, window.get(), [] {});
    EXPECT_EQ(plain.findChild<QPushButton *>(u"cmdSendMails"_qs), nullptr);
}

TEST_F(MainWindowTest, ARefusedMailOffersItsLetterForPrinting)
{
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    // The run's first mail is refused for good.
    SmtpTestServer probe;
    start(mailingTo(probe));
    click(widget<QRadioButton>(u"LaoderRe(1)"_qs));
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    const QStringList mails = QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs}, QDir::Files, QDir::Name);
    ASSERT_FALSE(mails.isEmpty()) << ui.texts().join(u'|').toStdString();
    const QString refusedOwner = mails.first().section(u'_', 1).section(u'.', 0, 0);
    SmtpTestServer server({.refuse = {u"wb"_qs + refusedOwner + u"@example.org"_qs}});
    ASSERT_TRUE(server.started());
    form->mail.port = server.port();
    form->mail.caFile = server.certificate();

    auto *box = window->findChild<RunSummaryBox *>(u"frmRunSummary"_qs);
    ASSERT_NE(box, nullptr);
    qputenv("QVL32_SMTP_PASSWORD", kSmtpPassword);
    ui.messages.clear();
    ui.answers = {MsgResult::Yes};
    QTest::mouseClick(box->findChild<QPushButton *>(u"cmdSendMails"_qs), Qt::LeftButton);
    qunsetenv("QVL32_SMTP_PASSWORD");
    EXPECT_EQ(server.received().size(), mails.size() - 1);
    ASSERT_GE(ui.messages.size(), 2);
    EXPECT_TRUE(ui.messages.at(ui.messages.size() - 2).text.contains(u"Abgelehnt, Brief geht auf Papier: Waldbesitzer "_qs
                                                                      + refusedOwner));
    EXPECT_EQ(ui.messages.last().text, u"Die Briefe der abgelehnten E-Mail jetzt als PDF zum Drucken erstellen?"_qs);
    EXPECT_EQ(ui.messages.last().buttons, MsgButtons::YesNo);
    // Beside the outbox, the refused owner's letter to print.
    EXPECT_TRUE(QFile::exists(ws.root() + u"/Rechnung-Papier.pdf"_qs));
}

// A mail that may already have gone (its mark in the journal, no answer): the desktop
// program asks before a send, names the owner, and sends it again only on "Ja".
TEST_F(MainWindowTest, AMailThatMayHaveGoneIsSentAgainOnlyOnAnExplicitYes)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    start(mailingTo(server));
    click(widget<QRadioButton>(u"LaoderRe(1)"_qs));
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    const QString outbox = ws.root() + u"/E-Mails"_qs;
    const QStringList files = outboxFiles(outbox);
    ASSERT_FALSE(files.isEmpty()) << ui.texts().join(u'|').toStdString();
    QFile first(files.first());
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const OutboxMessage marked = *readOutboxMessage(first.readAll());
    SendJournal journal(outbox);
    QString reason;
    ASSERT_TRUE(journal.append({marked.messageId, marked.owner, files.first(), MailStatus::Uncertain,
                                u"2026-12-06T10:05:00"_qs},
                               &reason));

    qputenv("QVL32_SMTP_PASSWORD", kSmtpPassword);
    ui.messages.clear();
    ui.answers = {MsgResult::No};
    QTest::mouseClick(widget<QPushButton>(u"btnEMails"_qs), Qt::LeftButton);
    ASSERT_GE(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages.first().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(ui.messages.first().text.contains(u"möglicherweise bereits zugestellt"_qs))
        << ui.messages.first().text.toStdString();
    EXPECT_TRUE(ui.messages.first().text.contains(u"Waldbesitzer "_qs + QString::number(marked.owner)));
    EXPECT_TRUE(ui.messages.first().text.contains(u"06.12.2026 10:05"_qs));
    EXPECT_EQ(server.received().size(), files.size() - 1);
    EXPECT_TRUE(ui.messages.last().text.contains(u"Möglicherweise bereits zugestellt"_qs))
        << ui.messages.last().text.toStdString();

    ui.messages.clear();
    ui.answers = {MsgResult::Yes};
    QTest::mouseClick(widget<QPushButton>(u"btnEMails"_qs), Qt::LeftButton);
    qunsetenv("QVL32_SMTP_PASSWORD");
    EXPECT_EQ(server.received().size(), files.size());
    EXPECT_TRUE(ui.messages.last().text.startsWith(u"E-Mails gesendet: 1"_qs)) << ui.messages.last().text.toStdString();
}

// The desktop program's send judges the runs as the batch program's does: an invoice run
// taken out of the database behind the program's back sends none of its mails, and each
// is named.
TEST_F(MainWindowTest, TheMailsOfARunTheDatabaseLostAreNamedNotSent)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    start(mailingTo(server));
    click(widget<QRadioButton>(u"LaoderRe(1)"_qs));
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    const int mails = int(QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs}).size());
    ASSERT_GT(mails, 0) << ui.texts().join(u'|').toStdString();

    ws.execSql(u"delete from QVL32_BELEGE"_qs);
    qputenv("QVL32_SMTP_PASSWORD", kSmtpPassword);
    ui.messages.clear();
    QTest::mouseClick(widget<QPushButton>(u"btnEMails"_qs), Qt::LeftButton);
    qunsetenv("QVL32_SMTP_PASSWORD");
    EXPECT_EQ(server.received().size(), 0);
    ASSERT_FALSE(ui.messages.isEmpty());
    const QString text = ui.messages.last().text;
    EXPECT_EQ(text.count(u"Nicht gesendet, ihr Lauf ist in dieser Datenbank nicht gespeichert: Waldbesitzer "_qs),
              mails)
        << text.toStdString();
    EXPECT_EQ(ui.messages.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs}).size(), mails);
}
