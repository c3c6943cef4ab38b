#pragma once
// The printed outputs of a run, made before its commit and shown after it. Each writer
// fills its report; the front end writes the files it keeps of it (the batch program's PDF
// and CSV) under hidden names for the run to name with its other outputs. A writer that
// fails stops the run before the commit, so that no collected run lacks its fee notices.
// After the commit the reports are shown as they were made (the desktop program's print
// preview).

#include "core/Buchung.h"
#include "run/RunDriver.h"
#include "print/Report.h"

#include <functional>
#include <optional>
#include <vector>

#include <QSet>

namespace qvl {

class FrmDTA;
struct RunInputs;
class RunOutputs;
struct SepaExport;

// The reports of a run, in the order they are shown.
using MadeReports = std::vector<Report>;

// After the SEPA file: the accompanying slip with its count and control sum.
// `outputs`: the run's list the front end's files of each report go to.
void MakeSlip(FrmDTA &form, RunOutputs &outputs, const SepaExport &sepa, MadeReports &made);

// A direct-debit run: the CSV list when ticked, then the fee notices when ticked (the owners
// of `notCollected`, left out of the bank file, are asked to transfer).
// An invoice run: the invoices, then the CSV list when ticked.
// Returns the letters when they were made. `electronic` makes what goes out of the letters
// electronically (e-invoices, the outbox) and returns the letters left for paper (none:
// nothing is kept or shown). Throws RunError (a WriteError for a file) or DbError.
using ElectronicLetters = std::function<std::optional<Report>(const Report &letters)>;
std::optional<Report> MakeListsAndLetters(FrmDTA &form, const RunInputs &run, RunOutputs &outputs,
                                          const Buchungen &aBuchungen,
                                          RunReport &report, MadeReports &made,
                                          const QSet<long> &notCollected = {},
                                          const ElectronicLetters &electronic = {});

// After the commit: each report shown; one that cannot be shown is told and fails the run.
void ShowReports(FrmDTA &form, const MadeReports &made, RunReport &report);

} // namespace qvl
