// A run whose association sends the letters by e-mail: the outbox the run makes, the paper
// letters left for Rechnung.pdf, and the sending afterwards — in the batch program, killed
// after the third mail and started again.
#include "support/FileBytes.h"
#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "einvoice/CiiSchema.h"
#include "mail/MimeMessage.h"
#include "mail/SmtpTestServer.h"
#include "db/Database.h"
#include "models/MailModels.h"
#include "check/RunCheck.h"
#include "run/RunDriver.h"
#include "run/RunSummary.h"
#include "support/BatchProcess.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>

using namespace qvl;
using namespace qvl::test;

namespace {

QByteArray embeddedInvoice(const QByteArray &pdf)
{
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processMemoryFile("mail.pdf", pdf.constData(), size_t(pdf.size()));
    auto spec = QPDFEmbeddedFileDocumentHelper(doc).getEmbeddedFile("factur-x.xml");
    if (!spec)
        return {};
    const std::shared_ptr<Buffer> buffer = spec->getEmbeddedFileStream().getStreamData(qpdf_dl_all);
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

// Every owner billed by invoice; every third without an address, one with a broken one;
// every second a business.
QStringList mailSettings(const Workspace &ws, const QStringList &extra = {})
{
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
    settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    settings.insert(settings.indexOf(u"Fibu="_qs) + 1, u"EMailVersand=Alle mit E-Mail-Adresse"_qs);
    settings.insert(settings.indexOf(u"Fibu="_qs) + 1, u"EMailAbsender=info@fbg-hochwald.de"_qs);
    for (const QString &line : extra)
        settings.insert(settings.indexOf(u"Fibu="_qs) + 1, line);
    return settings;
}

// The test server as the settings name it: address, port, login and its certificate.
QStringList serverSettings(const SmtpTestServer &server)
{
    return {u"SMTPServer=127.0.0.1"_qs, u"SMTPPort="_qs + QString::number(server.port()), u"SMTPBenutzer=verein"_qs,
            u"SMTPZertifikat="_qs + server.certificate()};
}

void shapeOwners(const Workspace &ws)
{
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    ws.execSql(u"update personal_free set BOXFREE3 = case when id_personal % 2 = 0 then 1 else 0 end"_qs);
    ws.execSql(u"update personal set Email = case when id_personal % 3 = 0 then null "
               "else 'wb' || Nummer || '@example.org; kasse' || Nummer || '@example.org' end"_qs);
    // A line break typed into the field: shown escaped, never as a break of the message.
    ws.execSql(u"update personal set Email = 'kaputt@' || char(10) || 'x' where id_personal = 5002"_qs);
}

struct MailRun {
    Workspace ws{12};
    std::unique_ptr<FrmDTA> form;

    MailRun()
    {
        ws.writeSettings(mailSettings(ws));
        shapeOwners(ws);
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->rbEinstellung_Click(0);
        form->txtMindestbeitrag[0].Text = u"10"_qs;
        form->chkEinzelbuchungen.Value = 0;
        form->names().set(u"LaoderRe(1)"_qs, u"1"_qs);
        form->aModelle[form->lModelle++] = {QString::fromUtf16(kMailSubjectModel), u"Ihre Rechnung {Rechnungsnummer}"_qs};
    }
};

} // namespace

TEST(MailRun, OwnersWithAnAddressGetTheirLetterByMailTheOthersOnPaper)
{
    MailRun r;
    const RunReport report = cmdStart_Click(*r.form);
    ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
    const QStringList mails = report.outputs.filter(u".eml"_qs);
    ASSERT_FALSE(mails.isEmpty());
    EXPECT_EQ(report.mailed, mails.size());

    // The paper letters and the mails together are every letter of the run, none twice.
    ASSERT_EQ(r.ws.ui.reports.size(), 1);
    const RecordSet &paper = r.ws.ui.reports.first().rows();
    EXPECT_EQ(report.paperLetters, paper.rowCount());
    QSet<QString> paperInvoices;
    for (int row = 0; row < paper.rowCount(); ++row)
        paperInvoices.insert(paper.text(row, paper.columnIndex(u"RechNr"_qs)));
    QSet<QString> mailedInvoices;
    for (const QString &mail : mails) {
        EXPECT_EQ(QFileInfo(mail).absolutePath(), r.ws.root() + u"/E-Mails"_qs);
        mailedInvoices.insert(QFileInfo(mail).fileName().section(u'_', 0, 0));
    }
    EXPECT_FALSE(paperInvoices.intersects(mailedInvoices));
    EXPECT_EQ(paperInvoices.size() + mailedInvoices.size(), report.billed);
    EXPECT_TRUE(runSummaryText(*summarizeRun(report)).contains(u"Briefe per E-Mail: "_qs + QString::number(mails.size())));

    // The broken address is named, in the check before the run too, and its owner gets paper.
    EXPECT_TRUE(r.ws.ui.texts().join(u'\n').contains(u"kaputt@\\nx"_qs)) << r.ws.ui.texts().join(u'|').toStdString();
    EXPECT_FALSE(r.ws.ui.texts().join(u'|').contains(u"kaputt@\n"_qs));
    ASSERT_EQ(r.ws.ui.runChecks.size(), 1);
    QStringList badInCheck;
    for (const CheckItem &item : r.ws.ui.runChecks.first().items) {
        EXPECT_NE(item.kind, CheckKind::MailSenderInvalid);
        if (item.kind == CheckKind::MailAddressInvalid)
            for (const CheckOwner &o : item.owners)
                badInCheck << QString::number(o.nummer) + u' ' + o.detail;
    }
    ASSERT_EQ(badInCheck.size(), 1);
    EXPECT_TRUE(badInCheck.first().endsWith(u"„kaputt@\\nx“"_qs)) << badInCheck.first().toStdString();
    EXPECT_FALSE(paperInvoices.isEmpty());

    const QStringList eInvoices = report.outputs.filter(u"/E-Rechnungen/"_qs);
    int businessMails = 0;
    for (const QString &mail : mails) {
        const std::optional<OutboxMessage> m = readOutboxMessage(fileBytes(mail), true);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->to, (QStringList{u"wb"_qs + QString::number(m->owner) + u"@example.org"_qs,
                                      u"kasse"_qs + QString::number(m->owner) + u"@example.org"_qs}));
        const QString invoice = QFileInfo(mail).fileName().section(u'_', 0, 0);
        EXPECT_EQ(m->subject, u"Ihre Rechnung "_qs + invoice); // from the model
        EXPECT_EQ(m->sender, u"info@fbg-hochwald.de"_qs);
        const QStringList own = eInvoices.filter(u'/' + invoice + u'_' + QString::number(m->owner) + u".pdf"_qs);
        if (!own.isEmpty()) {
            // A business gets his e-invoice byte for byte, its data valid.
            ++businessMails;
            EXPECT_EQ(m->attachment, fileBytes(own.first()));
            const QByteArray xml = embeddedInvoice(m->attachment);
            ASSERT_FALSE(xml.isEmpty());
            EXPECT_FALSE(ciiSchemaError(xml).has_value());
        } else {
            EXPECT_TRUE(m->attachment.startsWith("%PDF-"));
            EXPECT_EQ(m->attachmentName, u"Rechnung_"_qs + invoice + u".pdf"_qs);
        }
    }
    EXPECT_GT(businessMails, 0);
    EXPECT_LT(businessMails, mails.size());
}

TEST(MailRun, PaperTooAndTheCheckBoxDecide)
{
    MailRun r;
    r.form->mail.paperToo = true;
    RunReport report = cmdStart_Click(*r.form);
    EXPECT_GT(report.mailed, 0);
    EXPECT_EQ(report.paperLetters, report.billed);

    r.form->names().set(u"chkEMail"_qs, u"0"_qs);
    r.ws.ui.reports.clear();
    report = cmdStart_Click(*r.form);
    EXPECT_EQ(report.mailed, 0);
    EXPECT_EQ(r.ws.ui.reports.first().rows().rowCount(), report.billed);
}

TEST(MailRun, AMailThatCannotBeMadeLeavesItsLetterOnPaper)
{
    // No sender address: no mail can be made, and no owner may go without his letter.
    MailRun r;
    r.form->mail.sender = u"kein Absender"_qs;
    r.form->txtEmail.Text.clear();
    const RunReport report = cmdStart_Click(*r.form);
    EXPECT_EQ(report.outcome, RunOutcome::Failed);
    EXPECT_EQ(report.mailed, 0);
    ASSERT_EQ(r.ws.ui.reports.size(), 1);
    EXPECT_EQ(r.ws.ui.reports.first().rows().rowCount(), report.billed);
    EXPECT_EQ(report.paperLetters, report.billed);
    EXPECT_TRUE(r.ws.ui.texts().join(u'\n').contains(u"Ohne gültige E-Mail-Adresse des Vereins"_qs));
    // The check before the run said so already.
    ASSERT_EQ(r.ws.ui.runChecks.size(), 1);
    const QList<CheckItem> &items = r.ws.ui.runChecks.first().items;
    EXPECT_TRUE(std::any_of(items.begin(), items.end(),
                            [](const CheckItem &i) { return i.kind == CheckKind::MailSenderInvalid; }));
}

TEST(MailRun, BatchSendKilledAfterTheThirdMailResumesWithoutDuplicates)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    shapeOwners(ws);
    // Ten of the run's thirteen owners with an address.
    ws.execSql(u"update personal set Email = case when Nummer in (1019, 1021, 1022) then null "
               "else 'wb' || Nummer || '@example.org' end"_qs);
    const QStringList common{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    const BatchResult run = runBatch(common + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                          u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs,
                                                          u"run"_qs});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const qsizetype mails = QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs}).size();
    ASSERT_EQ(mails, 10) << run.out.toStdString();

    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    const std::unique_ptr<QProcess> process = startBatch(
        common + QStringList{u"send-mail"_qs}, {.environment = {password, u"QVL32_FAULT_POINT=mail-angenommen-3:KILL"_qs}});
    const BatchResult killed = finishBatch(*process);
    EXPECT_EQ(killed.exitCode, -1); // killed
    EXPECT_EQ(server.received().size(), 3);

    const BatchResult again = runBatch(common + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString() << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(u"E-Mails gesendet: 7"_qs)) << again.out.toStdString();
    QStringList ids;
    for (const ReceivedMail &m : server.received())
        ids.append(readOutboxMessage(m.data)->messageId);
    EXPECT_EQ(ids.size(), 10);
    ids.removeDuplicates();
    EXPECT_EQ(ids.size(), 10);
    // The password is in no output.
    for (const QString &text : {run.out, run.err, killed.out, killed.err, again.out, again.err})
        EXPECT_FALSE(text.contains(QString::fromLatin1(kSmtpPassword)));
    EXPECT_FALSE(ws.settingsBytes().contains(kSmtpPassword));
}

TEST(MailRun, BatchRefusedMailGivesItsLetterToPrintWithLettersUnsent)
{
    Workspace ws(30);
    SmtpTestServer server({.refuse = {u"wb1007@example.org"_qs}});
    ASSERT_TRUE(server.started());
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    shapeOwners(ws);
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    const QStringList common{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    const BatchResult run = runBatch(common + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                          u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs,
                                                          u"run"_qs});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList refusedMail = QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*_1007.eml"_qs});
    ASSERT_EQ(refusedMail.size(), 1);
    const std::optional<OutboxMessage> refused =
        readOutboxMessage(fileBytes(ws.root() + u"/E-Mails/"_qs + refusedMail.first()), true);
    ASSERT_TRUE(refused);

    // Nothing refused yet: nothing to print.
    const BatchResult none = runBatch(common + QStringList{u"letters"_qs, u"unsent"_qs});
    EXPECT_EQ(none.exitCode, 0) << none.err.toStdString();
    EXPECT_TRUE(none.out.contains(u"kein Brief zu drucken"_qs)) << none.out.toStdString();

    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    const BatchResult sent = runBatch(common + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(sent.exitCode, 3); // a refusal is for the clerk to see
    EXPECT_TRUE(sent.out.contains(u"Abgelehnt, Brief geht auf Papier: Waldbesitzer 1007"_qs)) << sent.out.toStdString();

    const BatchResult letters = runBatch(common + QStringList{u"letters"_qs, u"unsent"_qs});
    ASSERT_EQ(letters.exitCode, 0) << letters.err.toStdString();
    const QString pdf = letters.out.trimmed();
    EXPECT_EQ(QFileInfo(pdf).fileName(), u"Rechnung-Papier.pdf"_qs);
    EXPECT_TRUE(letters.err.contains(u"1007"_qs)) << letters.err.toStdString();
    // Exactly the refused owner's letter, as his mail carried it.
    QPDF printed;
    printed.processFile(pdf.toLocal8Bit().constData());
    QPDF attached;
    attached.processMemoryFile("mail.pdf", refused->attachment.constData(), size_t(refused->attachment.size()));
    EXPECT_EQ(printed.getAllPages().size(), attached.getAllPages().size());
    QTemporaryDir dir;
    QFile own(dir.filePath(u"mail.pdf"_qs));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write(refused->attachment);
    own.close();
    const QStringList pages = pdfPages(pdf);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages, pdfPages(own.fileName()));
}

TEST(MailRun, AKilledRunLeavesNoMailBehind)
{
    // Killed when every mail is written and synced, before the commit: the next start
    // takes the run back, its hidden mails too.
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws));
    shapeOwners(ws);
    const QStringList common{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    const std::unique_ptr<QProcess> process =
        startBatch(common + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs,
                                        u"--set"_qs, u"txtMindestbeitrag1=10"_qs, u"run"_qs},
                   {.environment = {u"QVL32_FAULT_POINT=register-geschrieben:KILL"_qs}});
    const BatchResult killed = finishBatch(*process);
    EXPECT_EQ(killed.exitCode, -1) << killed.err.toStdString();
    const QDir outbox(ws.root() + u"/E-Mails"_qs);
    ASSERT_FALSE(outbox.entryList(QDir::Files | QDir::Hidden).isEmpty()); // the hidden mails of the run

    const BatchResult next = runBatch(common + QStringList{u"list-runs"_qs});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(outbox.entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_TRUE((next.out + next.err).contains(u"zurückgenommen"_qs)) << next.err.toStdString();
}

// Killed while the server held the answer to the third mail: the server may have taken it.
// The next send names that owner with the time the mail went and does not send it; only
// --resend-uncertain does.
TEST(MailRun, BatchSendKilledWhileTheServerHoldsAnAnswerNeverResendsUnasked)
{
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws));
    shapeOwners(ws);
    ws.execSql(u"update personal set Email = case when Nummer in (1019, 1021, 1022) then null "
               "else 'wb' || Nummer || '@example.org' end"_qs);
    const QStringList common{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    const BatchResult run = runBatch(common + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                          u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs,
                                                          u"run"_qs});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString outbox = ws.root() + u"/E-Mails"_qs;
    QStringList files = QDir(outbox).entryList({u"*.eml"_qs});
    ASSERT_EQ(files.size(), 10);
    const std::optional<OutboxMessage> third = [&] {
        // The order the sending takes: by name, numbers as numbers.
        QCollator numeric;
        numeric.setNumericMode(true);
        std::sort(files.begin(), files.end(), [&](const QString &a, const QString &b) { return numeric.compare(a, b) < 0; });
        return readOutboxMessage(fileBytes(outbox + u'/' + files.at(2)));
    }();
    ASSERT_TRUE(third);

    SmtpTestServer server({.hold = third->to, .holdSeconds = 20});
    ASSERT_TRUE(server.started());
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    const std::unique_ptr<QProcess> process = startBatch(common + QStringList{u"send-mail"_qs}, {.environment = {password}});
    QElapsedTimer waited;
    waited.start();
    while (server.received().size() < 3 && waited.elapsed() < 30000)
        QThread::msleep(50);
    ASSERT_EQ(server.received().size(), 3);
    process->kill(); // the server holds the third mail's answer
    finishBatch(*process);

    const auto count = [&] {
        int n = 0;
        for (const ReceivedMail &m : server.received())
            n += readOutboxMessage(m.data)->messageId == third->messageId ? 1 : 0;
        return n;
    };
    const QString named = u"Möglicherweise bereits zugestellt (gesendet am 06.12.2026 10:00:00"_qs;
    for (int send = 0; send < 2; ++send) {
        const BatchResult again = runBatch(common + QStringList{u"send-mail"_qs}, {.environment = {password}});
        EXPECT_EQ(again.exitCode, 3) << again.err.toStdString();
        EXPECT_TRUE(again.out.contains(named)) << again.out.toStdString();
        EXPECT_TRUE(again.out.contains(u"Waldbesitzer "_qs + QString::number(third->owner))) << again.out.toStdString();
        EXPECT_EQ(count(), 1);
    }
    EXPECT_EQ(server.received().size(), 10);
    QFile log(ws.programDir() + u"/LogDatei.txt"_qs);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromLatin1(log.readAll()).contains(u"bereits zugestellt"_qs));

    const BatchResult asked =
        runBatch(common + QStringList{u"send-mail"_qs, u"--resend-uncertain"_qs}, {.environment = {password}});
    EXPECT_EQ(asked.exitCode, 0) << asked.err.toStdString() << asked.out.toStdString();
    EXPECT_TRUE(asked.out.contains(u"E-Mails gesendet: 1"_qs)) << asked.out.toStdString();
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(server.received().size(), 11);
}

// The server refused a mail, then the send was killed before the refusal became a row:
// `letters unsent` prints that owner's letter at once, and the next send names him as
// refused, in its output and in LogDatei.txt.
TEST(MailRun, ARefusalBeforeAKillReachesPaper)
{
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws));
    shapeOwners(ws);
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    const QStringList common{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, u"2026-12-06T10:00:00"_qs};
    const BatchResult run = runBatch(common + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs,
                                                          u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs,
                                                          u"run"_qs});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList files = QDir(ws.root() + u"/E-Mails"_qs).entryList({u"*.eml"_qs});
    ASSERT_GE(files.size(), 4);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(files.begin(), files.end(), [&](const QString &a, const QString &b) { return numeric.compare(a, b) < 0; });
    const std::optional<OutboxMessage> second = readOutboxMessage(fileBytes(ws.root() + u"/E-Mails/"_qs + files.at(1)));
    ASSERT_TRUE(second);

    SmtpTestServer server({.refuse = second->to});
    ASSERT_TRUE(server.started());
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    // Mail 1 taken, mail 2 refused, mail 3 taken: killed there.
    const std::unique_ptr<QProcess> process = startBatch(
        common + QStringList{u"send-mail"_qs}, {.environment = {password, u"QVL32_FAULT_POINT=mail-angenommen-2:KILL"_qs}});
    const BatchResult killed = finishBatch(*process);
    EXPECT_EQ(killed.exitCode, -1);
    EXPECT_EQ(server.received().size(), 2);

    const BatchResult letters = runBatch(common + QStringList{u"letters"_qs, u"unsent"_qs});
    ASSERT_EQ(letters.exitCode, 0) << letters.err.toStdString();
    EXPECT_EQ(QFileInfo(letters.out.trimmed()).fileName(), u"Rechnung-Papier.pdf"_qs) << letters.out.toStdString();
    EXPECT_TRUE(letters.err.contains(QString::number(second->owner))) << letters.err.toStdString();

    const BatchResult again = runBatch(common + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(again.exitCode, 3) << again.err.toStdString();
    const QString refusedLine = u"Abgelehnt, Brief geht auf Papier: Waldbesitzer "_qs + QString::number(second->owner);
    EXPECT_TRUE(again.out.contains(refusedLine)) << again.out.toStdString();
    EXPECT_EQ(server.received().size(), files.size() - 1);
    QFile log(ws.programDir() + u"/LogDatei.txt"_qs);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromLatin1(log.readAll()).contains(refusedLine));
    // Still on paper after the send entered it.
    const BatchResult after = runBatch(common + QStringList{u"letters"_qs, u"unsent"_qs});
    EXPECT_TRUE(after.err.contains(QString::number(second->owner))) << after.err.toStdString();
}

namespace {

QList<ReceivedMail> receivedOf(const SmtpTestServer &server, QStringList *owners)
{
    const QList<ReceivedMail> got = server.received();
    for (const ReceivedMail &m : got)
        owners->append(QString::number(readOutboxMessage(m.data)->owner));
    return got;
}

} // namespace

// An invoice run made twice before the send, and a direct-debit run deleted and made again:
// each owner gets one mail per document, the latest issue; the earlier unsent ones are
// kept aside, and the delete's question names the mails it withdraws.
TEST(MailRun, ARepeatedOrDeletedRunSendsEachDocumentOnce)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    shapeOwners(ws);
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    const QString outbox = ws.root() + u"/E-Mails"_qs;
    const auto at = [&](const char *now) {
        return QStringList{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, QString::fromLatin1(now)};
    };
    const QStringList invoiceRun{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs,
                                 u"--set"_qs, u"txtMindestbeitrag1=10"_qs, u"run"_qs};
    BatchResult r = runBatch(at("2026-12-06T10:00:00") + invoiceRun);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const qsizetype owners = QDir(outbox).entryList({u"*.eml"_qs}).size();
    ASSERT_GT(owners, 3);
    r = runBatch(at("2026-12-06T11:00:00") + invoiceRun);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(QDir(outbox).entryList({u"*.eml"_qs}).size(), 2 * owners);

    r = runBatch(at("2026-12-06T12:00:00") + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    QStringList got;
    for (const ReceivedMail &m : receivedOf(server, &got)) // the second run's, every one of them
        EXPECT_EQ(readOutboxMessage(m.data)->issue.issued, QDateTime(QDate(2026, 12, 6), QTime(11, 0)));
    EXPECT_EQ(got.size(), owners);
    got.removeDuplicates();
    EXPECT_EQ(got.size(), owners);
    EXPECT_TRUE(r.out.contains(u"Zurückgezogen, nicht gesendet (von einem späteren Lauf neu ausgestellt)"_qs))
        << r.out.toStdString();
    EXPECT_EQ(QDir(outbox + u"/Zurückgezogen"_qs).entryList({u"*.eml"_qs}).size(), owners);

    // A direct-debit run with fee notices, deleted before its mails went: they are withdrawn.
    const QStringList debitRun{u"--set"_qs, u"LaoderRe(0)=1"_qs, u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs,
                               u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs, u"--yes"_qs, u"run"_qs};
    r = runBatch(at("2026-12-07T10:00:00") + debitRun);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const qsizetype notices = QDir(outbox).entryList({u"*.eml"_qs}).size() - owners;
    ASSERT_GT(notices, 0);
    const BatchResult runs = runBatch(at("2026-12-07T10:30:00") + QStringList{u"list-runs"_qs});
    const QStringList keys = runs.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(keys.size(), 1) << runs.out.toStdString();
    r = runBatch(at("2026-12-07T10:30:00") + QStringList{u"--yes"_qs, u"delete-run"_qs, keys.first().trimmed()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::number(notices) + u" E-Mails dieses Laufs sind noch nicht versandt"_qs))
        << r.err.toStdString();
    EXPECT_EQ(QDir(outbox).entryList({u"*.eml"_qs}).size(), owners); // the invoices' mails, all sent

    // Made again: only the new run's notices go, one per owner.
    r = runBatch(at("2026-12-07T11:00:00") + debitRun);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // And repeated before a send: the question names the earlier run's notices not yet sent.
    r = runBatch(at("2026-12-07T11:30:00") + debitRun);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::number(notices)
                               + u" E-Mails jenes Laufs sind noch nicht versandt; gesendet wird je Waldbesitzer und "
                                 "Beleg nur die neueste."_qs))
        << r.err.toStdString();
    r = runBatch(at("2026-12-07T12:00:00") + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    got.clear();
    const QList<ReceivedMail> all = receivedOf(server, &got);
    ASSERT_EQ(all.size(), owners + notices);
    QStringList noticeOwners;
    for (const ReceivedMail &m : all.mid(owners)) {
        const OutboxMessage read = *readOutboxMessage(m.data);
        EXPECT_EQ(read.issue.kind, u"Beitragsbescheid"_qs);
        EXPECT_EQ(read.issue.issued, QDateTime(QDate(2026, 12, 7), QTime(11, 30)));
        noticeOwners.append(QString::number(read.owner));
    }
    noticeOwners.removeDuplicates();
    EXPECT_EQ(noticeOwners.size(), notices);
}

// The database no longer holds a run whose mails wait: its stored fees deleted behind the
// program's back, or an older copy of the database put back. Those mails stay in the outbox,
// unsent, named in the output and LogDatei.txt at every send; the other runs' mails go. A
// run registered before runs had their id is judged by its documents' numbers and owners.
TEST(MailRun, MailsOfARunTheDatabaseNoLongerHoldsAreNotSent)
{
    SmtpTestServer server;
    ASSERT_TRUE(server.started());
    Workspace ws(30);
    ws.writeSettings(mailSettings(ws, serverSettings(server)));
    shapeOwners(ws);
    ws.execSql(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    ws.execSql(u"delete from PERSONAL_MG_BEITRAGE"_qs);
    const QString backup = ws.root() + u"/sicherung.sqlite"_qs;
    ASSERT_TRUE(QFile::copy(ws.databaseFile(), backup)); // before any run
    const QString password = u"QVL32_SMTP_PASSWORD="_qs + QString::fromLatin1(kSmtpPassword);
    const QString outbox = ws.root() + u"/E-Mails"_qs;
    const auto at = [&](const char *now) {
        return QStringList{u"--program-dir"_qs, ws.programDir(), u"--now"_qs, QString::fromLatin1(now)};
    };
    BatchResult r = runBatch(at("2026-12-06T10:00:00")
                             + QStringList{u"--set"_qs, u"LaoderRe(1)=1"_qs, u"--set"_qs, u"chkBeitrag(0)=1"_qs,
                                           u"--set"_qs, u"txtMindestbeitrag1=10"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const qsizetype invoices = QDir(outbox).entryList({u"*.eml"_qs}).size();
    ASSERT_GT(invoices, 3);
    r = runBatch(at("2026-12-06T11:00:00")
                 + QStringList{u"--set"_qs, u"LaoderRe(0)=1"_qs, u"--set"_qs, u"chkRechnung=1"_qs, u"--set"_qs,
                               u"chkBeitrag(0)=1"_qs, u"--set"_qs, u"txtMindestbeitrag1=10"_qs, u"--yes"_qs, u"run"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const qsizetype notices = QDir(outbox).entryList({u"*.eml"_qs}).size() - invoices;
    ASSERT_GT(notices, 0);

    // Each run's register row names the run its mails carry.
    {
        const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
        QSet<QString> registered;
        QSqlQuery rows = db->run(u"select kennung from QVL32_LAEUFE"_qs);
        while (rows.next())
            registered.insert(rows.value(0).toString());
        QSet<QString> carried;
        for (const QString &name : QDir(outbox).entryList({u"*.eml"_qs}))
            carried.insert(readOutboxMessage(fileBytes(outbox + u'/' + name))->issue.run);
        EXPECT_EQ(carried.size(), 2);
        EXPECT_EQ(registered, carried);
    }

    // The invoice run as an earlier version registered it, without its id; the fees of the
    // direct-debit run deleted by hand.
    ws.execSql(u"update QVL32_LAEUFE set kennung = null where sammler is null"_qs);
    ws.execSql(u"delete from PERSONAL_MG_BEITRAGE"_qs);
    const QString feesGone = u"Nicht gesendet, die gespeicherten Beiträge ihres Laufs sind gelöscht: Waldbesitzer "_qs;
    for (int send = 0; send < 2; ++send) {
        r = runBatch(at("2026-12-06T12:00:00") + QStringList{u"send-mail"_qs}, {.environment = {password}});
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString() << r.out.toStdString();
        EXPECT_EQ(r.out.count(feesGone), notices) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(u"Diese E-Mails bleiben im Postausgang"_qs)) << r.out.toStdString();
        EXPECT_EQ(server.received().size(), invoices);
    }
    for (const ReceivedMail &m : server.received())
        EXPECT_EQ(readOutboxMessage(m.data)->issue.kind, u"Rechnung"_qs);
    EXPECT_EQ(QDir(outbox).entryList({u"*.eml"_qs}).size(), invoices + notices); // kept where they are
    {
        QFile log(ws.programDir() + u"/LogDatei.txt"_qs);
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLatin1(log.readAll()).count(u"die gespeicherten Beitr"_qs), 2 * notices);
    }

    // The copy from before both runs put back: it knows neither run nor any mail sent. No
    // mail goes, not even again the invoices that went.
    ASSERT_TRUE(QFile::remove(ws.databaseFile()));
    ASSERT_TRUE(QFile::copy(backup, ws.databaseFile()));
    r = runBatch(at("2026-12-06T13:00:00") + QStringList{u"send-mail"_qs}, {.environment = {password}});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(r.out.count(u"Nicht gesendet, ihr Lauf ist in dieser Datenbank nicht gespeichert: Waldbesitzer "_qs),
              invoices + notices)
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"E-Mails gesendet: 0"_qs)) << r.out.toStdString();
    EXPECT_EQ(server.received().size(), invoices);
}
