// Times the printed outputs of a big run: the invoices' row table and their PDF, the CSV
// list with the booking list's PDF; reports the peak memory.
// Usage: qvl32-bench-reports [OWNERS]   (default 10000)
#include "bench/BenchSupport.h"
#include "platform/HeadlessGui.h"
#include "print/InvoicePrinting.h"
#include "run/FeeCalculation.h"
#include "run/MemberQuery.h"
#include "sepa/CsvList.h"

#include <QGuiApplication>
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
    Buchungen records;
    RunMemberQuery(form, records);
    CalcBeitraege(form, records, form.bRundeBeitrag);
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
    QString error;
    if (!invoices.writePdf(invoicePdf, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    const qint64 pdfMs = t.elapsed();
    const double pdfCpu = bench::cpuSeconds() - cpuBefore;
    t.restart();
    const CsvList list = WriteCSVList(form, records);
    if (!list.report.writePdf(out.filePath(u"Beitrag.pdf"_qs), &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    const qint64 listMs = t.elapsed();

    std::printf("letters                 %zu (%d pages)\n", records.size(), invoices.pageCount());
    std::printf("invoice row table       %lld ms\n", static_cast<long long>(tableMs));
    std::printf("invoices to PDF         %lld ms, %.1f s CPU (%.1f MB)\n", static_cast<long long>(pdfMs), pdfCpu,
                QFileInfo(invoicePdf).size() / 1048576.0);
    std::printf("invoices total          %lld ms\n", static_cast<long long>(tableMs + pdfMs));
    std::printf("CSV list + booking list %lld ms (%d pages)\n", static_cast<long long>(listMs),
                list.report.pageCount());
    std::printf("peak memory             %.1f MB\n", bench::peakMegabytes());
    return 0;
}
