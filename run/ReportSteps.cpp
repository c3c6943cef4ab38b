#include "run/ReportSteps.h"

#include "app/FrmDTA.h"
#include "platform/RecordSet.h"
#include "print/InvoicePrinting.h"
#include "run/RunError.h"
#include "sepa/Begleitzettel.h"
#include "sepa/CsvList.h"
#include "sepa/SepaWriter.h"

namespace qvl {

namespace {

void failed(FrmDTA &f, RunReport &report, const QString &text, const QString &title = {})
{
    f.ui().message(text, title, MsgIcon::Critical);
    report.outcome = RunOutcome::Failed;
}

// Runs one writer and shows its report; any failure is told and ends only this writer.
// Returns the report when it was made (also when the printer failed it).
template <typename Writer>
std::optional<Report> printStep(FrmDTA &f, RunReport &report, Writer &&writer, const ElectronicLetters &electronic = {})
{
    try {
        Report made = writer();
        const std::optional<Report> shown = electronic ? electronic(made) : made;
        if (shown && !f.ui().showReport(*shown))
            report.outcome = RunOutcome::Failed;
        return made;
    } catch (const RunError &e) {
        failed(f, report, e.message(), e.title());
    } catch (const DbError &e) {
        failed(f, report, e.message());
    } catch (const RecordSetError &e) {
        failed(f, report, e.message());
    }
    return std::nullopt;
}

void csvListStep(FrmDTA &f, const Buchungen &aBuchungen, RunReport &report)
{
    printStep(f, report, [&] {
        CsvList list = WriteCSVList(f, aBuchungen);
        if (!list.file.isEmpty())
            report.outputs.append(list.file);
        if (!list.fileError.isEmpty())
            failed(f, report, list.fileError);
        return list.report;
    });
}

} // namespace

void PrintSlipStep(FrmDTA &f, const SepaExport &sepa, RunReport &report)
{
    printStep(f, report, [&] { return PrintBegleitzettel(f, sepa.numberOfTransactions, sepa.controlSum); });
}

std::optional<Report> PrintListsAndLetters(FrmDTA &f, const Buchungen &aBuchungen, bool directDebit,
                                           RunReport &report, const QSet<long> &notCollected,
                                           const ElectronicLetters &electronic)
{
    const bool list = f.chkEinzelbuchungen.Value == 1;
    if (directDebit && list)
        csvListStep(f, aBuchungen, report);
    std::optional<Report> letters;
    if (!directDebit || f.chkRechnung.Value == 1)
        letters = printStep(f, report, [&] { return PrintRechnungen(f, aBuchungen, notCollected); }, electronic);
    if (!directDebit && list)
        csvListStep(f, aBuchungen, report);
    return letters;
}

} // namespace qvl
