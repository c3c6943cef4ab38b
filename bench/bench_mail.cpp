// Times the e-mail of a big run: first two whole invoice runs (both halves, the commit and
// the naming of every file), one on paper and one with every letter going into the outbox
// (the target: at most 1,3 times the paper run); then the letters alone as a run without
// mail makes them (row table and Rechnung.pdf) against the same letters with the outbox;
// then sends 1,000 mails of that outbox to the tests' local mail server (the target: within
// 10 s).
// Usage: qvl32-bench-mail [OWNERS]   (default 10000)
#include "app/RunInputs.h"
#include "bench/BenchSupport.h"
#include "einvoice/EInvoiceWriter.h"
#include "mail/MailSending.h"
#include "mail/Outbox.h"
#include "mail/SendJournal.h"
#include "mail/SentMails.h"
#include "os/HeadlessGui.h"
#include "params/InvoiceFromForm.h"
#include "fees/FeeCalculation.h"
#include "run/MailStep.h"
#include "run/MemberQueryFromForm.h"
#include "run/RunDriver.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>

using namespace qvl;

namespace {

// Sends the first `count` mails of the outbox to tests/mail/smtp_server.py (plain, no
// login: the program's side is measured, not the TLS handshake's).
void timeSending(const QString &outbox, int count)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"E-Mails"_qs);
    QDir().mkpath(folder);
    const QStringList files = outboxFiles(outbox);
    for (int i = 0; i < count && i < files.size(); ++i)
        QFile::copy(files.at(i), folder + u'/' + QFileInfo(files.at(i)).fileName());
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(u"/usr/bin/python3"_qs, {QStringLiteral(QVL_SOURCE_DIR) + u"/tests/mail/smtp_server.py"_qs,
                                          u"--out"_qs, dir.filePath(u"received.jsonl"_qs)});
    int port = 0;
    for (int tries = 0; port == 0 && tries < 60; ++tries) {
        while (port == 0 && server.canReadLine()) {
            const QByteArray line = server.readLine().trimmed();
            if (line.startsWith("PORT "))
                port = line.mid(5).toInt();
        }
        if (port == 0)
            server.waitForReadyRead(500);
    }
    if (port == 0) {
        std::fprintf(stderr, "Der Test-Mailserver (python3-aiosmtpd) startet nicht.\n");
        return;
    }
    MailSettings s;
    s.server = u"127.0.0.1"_qs;
    s.port = port;
    s.tls = SmtpTls::None;
    s.allowUnencrypted = true;
    QFile sent(dir.filePath(u"sent.sqlite"_qs)); // the embedded database must exist to be opened
    sent.open(QIODevice::WriteOnly);
    sent.close();
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + sent.fileName());
    QElapsedTimer t;
    t.start();
    const double cpuBefore = bench::cpuSeconds();
    const SendOutcome o = sendOutbox(folder, s, {}, *db);
    const qint64 ms = t.elapsed();
    const double cpu = bench::cpuSeconds() - cpuBefore;
    server.closeWriteChannel();
    server.waitForFinished(10000);

    // What the journal costs: before each mail's text its mark, synced; after it the
    // answer, written and synced with the next mark — against both synced on their own.
    const auto journalMs = [count](bool answerSynced) {
        QTemporaryDir journalDir;
        SendJournal journal(journalDir.path());
        QString reason;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i) {
            const QString id = QString::number(i) + u"@bench"_qs;
            journal.append({id, i, u"x.eml"_qs, MailStatus::Uncertain, u"2026-12-06T10:00:00"_qs}, &reason);
            journal.append({id, i, u"x.eml"_qs, MailStatus::Sent, {}}, &reason, answerSynced);
        }
        journal.sync(&reason);
        return timer.elapsed();
    };
    const qint64 oneSyncMs = journalMs(false);
    const qint64 twoSyncsMs = journalMs(true);

    std::printf("send %d mails         %lld ms (%d taken%s%s), the program's CPU %.1f s (target within 10 s)\n",
                count, static_cast<long long>(ms), o.sent, o.stopReason.isEmpty() ? "" : ", stopped: ",
                qPrintable(o.stopReason), cpu);
    std::printf("  of it the journal     %lld ms (mark and answer of each mail, one sync per mail)\n",
                static_cast<long long>(oneSyncMs));
    std::printf("  with two syncs a mail %lld ms (the answer synced on its own)\n",
                static_cast<long long>(twoSyncsMs));
}

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    const int owners = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir out;
    bench::BenchProgram program(owners, {u"ExportPfad="_qs + out.path() + u'/', u"FBGVersion=Falsch"_qs,
                                         u"BERECHNUNG=QVL"_qs, u"RundeBeitrag1=Wahr"_qs, u"Firmenname=FBG Hochwald"_qs,
                                         u"Email=info@fbg-hochwald.de"_qs, u"ERechnung=Keine"_qs,
                                         u"EMailVersand=Alle mit E-Mail-Adresse"_qs});
    if (!program.form)
        return 1;
    FrmDTA &form = *program.form;
    form.strWaehrung = u"EUR"_qs;
    form.chkBeitrag[0].Value = 1;
    form.txtMindestbeitrag[0].Text = u"15"_qs;
    form.chkKopf.Value = 1;
    form.chkBank.Value = 1;
    form.txtFixtext.Text = u"Bitte überweisen Sie den Betrag innerhalb von 14 Tagen."_qs;

    // Two whole invoice runs into folders of their own: on paper, then by mail.
    {
        const std::unique_ptr<Database> db = Database::open(form.strConnectionString, form.connectionOptions);
        db->run(u"update personal set Email = 'wb' || Nummer || '@example.org'"_qs);
    }
    form.names().set(u"LaoderRe(1)"_qs, u"1"_qs);
    const auto wholeRun = [&](bool byMail, const QString &folder, RunReport *report) {
        QDir().mkpath(folder);
        form.strBerichtsPfad = folder;
        program.ui.reportsDir = folder; // the paper letters written as the batch program writes them
        form.chkEMail.Value = byMail ? 1 : 0;
        QElapsedTimer w;
        w.start();
        *report = cmdStart_Click(form);
        return w.elapsed();
    };
    RunReport paperRun;
    RunReport mailRun;
    const qint64 paperRunMs = wholeRun(false, out.filePath(u"papier"_qs), &paperRun);
    const qint64 mailRunMs = wholeRun(true, out.filePath(u"mail"_qs), &mailRun);
    std::printf("whole run, on paper     %lld ms (%d letters, outcome %d)\n", static_cast<long long>(paperRunMs),
                paperRun.paperLetters, int(paperRun.outcome));
    std::printf("whole run, by mail      %lld ms (%d mails, %d on paper, outcome %d)\n",
                static_cast<long long>(mailRunMs), mailRun.mailed, mailRun.paperLetters, int(mailRun.outcome));
    std::printf("whole run mail / paper  %.2f (target at most 1.30)\n",
                double(mailRunMs) / double(std::max<qint64>(1, paperRunMs)));
    std::fflush(stdout);
    form.strBerichtsPfad.clear();
    program.ui.reportsDir.clear();
    Buchungen records;
    readMembers(form, readRunInputs(form), records);
    CalcBeitraege(readRunInputs(form), records, form.bRundeBeitrag);
    for (size_t i = 0, kept = records.size(); kept > 0 && records.size() < size_t(owners); ++i)
        records.push_back(records[i % kept]);
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].Email = u"wb"_qs + QString::number(i) + u"@example.org"_qs;
        records[i].RechNr = QString::number(1000 + i); // one mail per record
        records[i].Nummer = long(100000 + i);           // of an owner of its own: none replaces another
    }

    // The letters as a run without mail makes them.
    form.chkEMail.Value = 0;
    QElapsedTimer t;
    t.start();
    const double lettersCpuBefore = bench::cpuSeconds();
    const Report letters = PrintRechnungen(form, records);
    bench::writePdf(letters, out.filePath(u"Rechnung.pdf"_qs));
    const qint64 lettersMs = t.elapsed();
    const double lettersCpu = bench::cpuSeconds() - lettersCpuBefore;

    // The same run with every letter by mail: the row table, what is left for paper (none
    // here), the outbox.
    form.chkEMail.Value = 1;
    t.restart();
    const double mailCpuBefore = bench::cpuSeconds();
    const Report again = PrintRechnungen(form, records);
    RunReport report;
    const std::optional<Report> paper = MailStep(form, readRunInputs(form), nullptr, records, again, EInvoiceOutcome{}, report);
    if (paper)
        bench::writePdf(*paper, out.filePath(u"Rechnung-Papier.pdf"_qs));
    const qint64 mailMs = t.elapsed();
    const double mailCpu = bench::cpuSeconds() - mailCpuBefore;
    qint64 bytes = 0;
    for (const QString &file : report.outputs)
        bytes += QFileInfo(file).size();

    std::printf("letters                 %zu (%d pages)\n", records.size(), letters.pageCount());
    std::printf("letters, no mail        %lld ms, %.1f s CPU\n", static_cast<long long>(lettersMs), lettersCpu);
    std::printf("letters, all by mail    %lld ms, %.1f s CPU: %d mails, %.0f KB each\n",
                static_cast<long long>(mailMs), mailCpu, report.mailed,
                report.mailed ? bytes / 1024.0 / report.mailed : 0.0);
    std::printf("by mail / no mail       %.2f (target at most 1.30)\n",
                double(mailMs) / double(std::max<qint64>(1, lettersMs)));
    std::fflush(stdout);
    timeSending(outboxFolder(out.path()), std::min(1000, report.mailed));
    std::printf("peak memory             %.1f MB\n", bench::peakMegabytes());
    return 0;
}
