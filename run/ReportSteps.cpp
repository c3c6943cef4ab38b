#include "run/ReportSteps.h"

#include "app/RunInputs.h"
#include "check/RunScreens.h"

#include "app/FrmDTA.h"
#include "db/RecordSet.h"
#include "params/InvoiceFromForm.h"
#include "core/RunError.h"
#include "params/ListReports.h"
#include "sepa/SepaWriter.h"

namespace qvl {

namespace {

// Runs one writer and has the front end write the files it keeps; any failure stops the run.
template <typename Writer>
std::optional<Report> makeStep(FrmDTA &f, RunOutputs &outputs, MadeReports &made, Writer &&writer,
                               const ElectronicLetters &electronic = {})
{
    std::optional<Report> whole;
    try {
        whole.emplace(writer());
    } catch (const RecordSetError &e) {
        throw RunError(RunError::Kind::Output, e.message());
    }
    // Letters that go out electronically leave only the paper ones to be kept and shown.
    std::optional<Report> kept = electronic ? electronic(*whole) : whole;
    if (!kept)
        return whole;
    made.push_back(std::move(*kept));
    try {
        runScreens(f.ui()).writeReport(made.back(), outputs);
    } catch (const WriteError &e) {
        throw WriteError(e.file(), u"Bericht "_qs + made.back().title() + u": "_qs + e.message(), e.owner());
    }
    return whole;
}

void csvListStep(FrmDTA &f, const RunInputs &run, RunOutputs &outputs, const Buchungen &aBuchungen,
                 RunReport &report, MadeReports &made)
{
    makeStep(f, outputs, made, [&] {
        CsvList list = WriteCSVList(f, run, &outputs, aBuchungen);
        report.outputs.append(list.file);
        return list.report;
    });
}

} // namespace

void MakeSlip(FrmDTA &f, RunOutputs &outputs, const SepaExport &sepa, MadeReports &made)
{
    makeStep(f, outputs, made, [&] { return PrintBegleitzettel(f, sepa.numberOfTransactions, sepa.controlSumCent); });
}

std::optional<Report> MakeListsAndLetters(FrmDTA &f, const RunInputs &run, RunOutputs &outputs, const Buchungen &aBuchungen,
                                          RunReport &report, MadeReports &made, const QSet<long> &notCollected,
                                          const ElectronicLetters &electronic)
{
    const bool directDebit = run.directDebit();
    const bool list = f.chkEinzelbuchungen.Value == 1;
    if (directDebit && list)
        csvListStep(f, run, outputs, aBuchungen, report, made);
    std::optional<Report> letters;
    if (!directDebit || f.chkRechnung.Value == 1)
        letters = makeStep(f, outputs, made, [&] { return PrintRechnungen(f, run, aBuchungen, notCollected); }, electronic);
    if (!directDebit && list)
        csvListStep(f, run, outputs, aBuchungen, report, made);
    return letters;
}

void ShowReports(FrmDTA &f, const MadeReports &made, RunReport &report)
{
    for (const Report &r : made)
        if (!runScreens(f.ui()).showReport(r))
            report.outcome = RunOutcome::Failed;
}

} // namespace qvl
