#pragma once
// The printed outputs of a run: each writer's report is shown; a writer that fails is
// told to the user and shows nothing, and the run's other outputs go on (the run then
// counts as failed).

#include "run/Buchung.h"
#include "run/RunDriver.h"
#include "print/Report.h"

#include <functional>
#include <optional>

#include <QSet>

namespace qvl {

class FrmDTA;
struct SepaExport;

// After the SEPA file: the accompanying slip with its count and control sum.
void PrintSlipStep(FrmDTA &form, const SepaExport &sepa, RunReport &report);

// A direct-debit run: the CSV list when ticked, then the fee notices when ticked (the owners
// of `notCollected`, left out of the bank file, are asked to transfer).
// An invoice run: the invoices, then the CSV list when ticked.
// Returns the letters when they were made. `electronic` makes what goes out of the letters
// electronically before they are shown, and returns the letters left for paper (none:
// nothing is shown).
using ElectronicLetters = std::function<std::optional<Report>(const Report &letters)>;
std::optional<Report> PrintListsAndLetters(FrmDTA &form, const Buchungen &aBuchungen, bool directDebit,
                                           RunReport &report, const QSet<long> &notCollected = {},
                                           const ElectronicLetters &electronic = {});

} // namespace qvl
