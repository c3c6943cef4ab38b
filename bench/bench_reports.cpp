// Times the printed outputs of a big run: the invoices' row table and their PDF, the CSV
// list with the booking list's PDF, and one e-invoice per letter (XML, schema check,
// PDF/A-3 with the XML embedded, the file); reports the e-invoices' sizes and the peak
// memory.
// Usage: qvl32-bench-reports [OWNERS]   (default 10000)
#include "app/RunInputs.h"
#include "bench/BenchSupport.h"
#include "einvoice/EInvoiceWriter.h"
#include "params/EInvoiceFromForm.h"
#include "os/HeadlessGui.h"
#include "params/InvoiceFromForm.h"
#include "core/RunError.h"
#include "fees/FeeCalculation.h"
#include "run/MemberQueryFromForm.h"
#include "params/ListReports.h"

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>

using namespace qvl;

int main(int argc, char **argv)
{
    prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    const int owners = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir out;
    bench::BenchProgram program(owners, {u"ExportPfad="_qs + out.path() + u'/', u"FBGVersion=Falsch"_qs,
                                         u"BERECHNUNG=QVL"_qs, u"RundeBeitrag1=Wahr"_qs, u"Firmenname=FBG Hochwald"_qs,
                                         u"Verwendungszweck=Jahresbeitrag 2026"_qs, u"BeitraegeNetto=Wahr"_qs});
    if (!program.form)
        return 1;
    FrmDTA &form = *program.form;
    form.strWaehrung = u"EUR"_qs;
    for (int k = 0; k < 3; ++k) {
        form.chkBeitrag[k].Value = 1;
        form.txtMwst[k].Text = k == 1 ? u"19"_qs : QString();
    }
    form.txtMindestbeitrag[0].Text = u"15"_qs;
    form.chkKopf.Value = 1;
    form.chkBank.Value = 1;
    form.txtFixtext.Text = u"Bitte überweisen Sie den Betrag innerhalb von 14 Tagen."_qs;
    form.txtAdresse.Text = u"Am Forst 2"_qs;
    form.txtPLZ.Text = u"54321"_qs;
    form.txtOrt.Text = u"Tannenau"_qs;
    form.txtSteuernummer.Text = u"123/456/78901"_qs;
    form.txtKontonummer.Text = u"DE02120300000000202051"_qs;
    form.chkERechnung.Value = 1;
    form.strERechnung = u"Alle"_qs;
    Buchungen records;
    readMembers(form, readRunInputs(form), records);
    CalcBeitraege(readRunInputs(form), records, form.bRundeBeitrag);
    // Exactly `owners` letters: the owners with a fee, repeated (some owners pay by debit).
    for (size_t i = 0, kept = records.size(); kept > 0 && records.size() < size_t(owners); ++i)
        records.push_back(records[i % kept]);

    QElapsedTimer t;
    t.start();
    const Report invoices = PrintRechnungen(form, records);
    const qint64 tableMs = t.elapsed();
    t.restart();
    const double cpuBefore = bench::cpuSeconds();
    const QString invoicePdf = out.filePath(u"Rechnung.pdf"_qs);
    bench::writePdf(invoices, invoicePdf);
    const qint64 pdfMs = t.elapsed();
    const double pdfCpu = bench::cpuSeconds() - cpuBefore;
    t.restart();
    const CsvList list = WriteCSVList(form, records);
    bench::writePdf(list.report, out.filePath(u"Beitrag.pdf"_qs));
    const qint64 listMs = t.elapsed();

    t.restart();
    const double eCpuBefore = bench::cpuSeconds();
    EInvoiceOutcome einvoices;
    try {
        MakeERechnungen(form, readRunInputs(form), nullptr, records, invoices, {}, einvoices);
    } catch (const RunError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    }
    const qint64 eMs = t.elapsed();
    const double eCpu = bench::cpuSeconds() - eCpuBefore;
    qint64 largest = 0, bytes = 0;
    for (const QString &file : einvoices.files) {
        largest = std::max(largest, QFileInfo(file).size());
        bytes += QFileInfo(file).size();
    }

    std::printf("letters                 %zu (%d pages)\n", records.size(), invoices.pageCount());
    std::printf("invoice row table       %lld ms\n", static_cast<long long>(tableMs));
    std::printf("invoices to PDF         %lld ms, %.1f s CPU (%.1f MB)\n", static_cast<long long>(pdfMs), pdfCpu,
                QFileInfo(invoicePdf).size() / 1048576.0);
    std::printf("invoices total          %lld ms\n", static_cast<long long>(tableMs + pdfMs));
    std::printf("CSV list + booking list %lld ms (%d pages)\n", static_cast<long long>(listMs),
                list.report.pageCount());
    std::printf("e-invoices              %lld ms, %.1f s CPU: %lld files (%lld without: %s), %.0f KB each, "
                "largest %.0f KB\n",
                static_cast<long long>(eMs), eCpu, static_cast<long long>(einvoices.files.size()),
                static_cast<long long>(einvoices.refused.size()),
                einvoices.refused.isEmpty() ? "" : qPrintable(einvoices.refused.first()),
                einvoices.files.isEmpty() ? 0.0 : bytes / 1024.0 / einvoices.files.size(), largest / 1024.0);
    std::printf("e-invoices / letters    %.2f\n", double(eMs) / double(std::max<qint64>(1, tableMs + pdfMs)));
    std::printf("peak memory             %.1f MB\n", bench::peakMegabytes());
    return 0;
}
