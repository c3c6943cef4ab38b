// A run whose association sends the letters by e-mail: the outbox the run makes, the paper
// letters left for Rechnung.pdf, and the sending afterwards — in the batch program, killed
// after the third mail and started again.
#include "app/FrmDTA.h"
#include "run/ProgramStart.h"
#include "einvoice/CiiSchema.h"
#include "mail/MimeMessage.h"
#include "mail/SmtpTestServer.h"
#include "models/MailModels.h"
#include "run/RunCheck.h"
#include "run/RunDriver.h"
#include "run/RunSummary.h"
#include "support/BatchProcess.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>

using namespace qvl;
using namespace qvl::test;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

void shapeOwners(const Workspace &ws)
{
    ws.execSql(u"update personal_free set BoxFree2 = 1"_qs);
    ws.execSql(u"update personal_free set BOXFREE3 = case when id_personal % 2 = 0 then 1 else 0 end"_qs);
    ws.execSql(u"update personal set Email = case when id_personal % 3 = 0 then null "
               "else 'wb' || Nummer || '@example.org; kasse' || Nummer || '@example.org' end"_qs);
    ws.execSql(u"update personal set Email = 'kaputt@' where id_personal = 5002"_qs);
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
    EXPECT_TRUE(r.ws.ui.texts().join(u'\n').contains(u"kaputt@"_qs)) << r.ws.ui.texts().join(u'|').toStdString();
    ASSERT_EQ(r.ws.ui.runChecks.size(), 1);
    QStringList badInCheck;
    for (const CheckItem &item : r.ws.ui.runChecks.first().items) {
        EXPECT_NE(item.kind, CheckKind::MailSenderInvalid);
        if (item.kind == CheckKind::MailAddressInvalid)
            for (const CheckOwner &o : item.owners)
                badInCheck << QString::number(o.nummer) + u' ' + o.detail;
    }
    ASSERT_EQ(badInCheck.size(), 1);
    EXPECT_TRUE(badInCheck.first().endsWith(u"„kaputt@“"_qs)) << badInCheck.first().toStdString();
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
    ws.writeSettings(mailSettings(ws, {u"SMTPServer=127.0.0.1"_qs, u"SMTPPort="_qs + QString::number(server.port()),
                                       u"SMTPBenutzer=verein"_qs, u"SMTPZertifikat="_qs + server.certificate()}));
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
    ws.writeSettings(mailSettings(ws, {u"SMTPServer=127.0.0.1"_qs, u"SMTPPort="_qs + QString::number(server.port()),
                                       u"SMTPBenutzer=verein"_qs, u"SMTPZertifikat="_qs + server.certificate()}));
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
