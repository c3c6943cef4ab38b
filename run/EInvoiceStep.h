#pragma once
// After the letters of a run: the e-invoices of the owners the setting names. Owners
// without one are told (and named in the log file); a file or folder that cannot be
// written throws WriteError, which stops the run before its commit: no file of it remains.

#include "einvoice/EInvoiceWriter.h"
#include "core/Buchung.h"
#include "run/RunDriver.h"

#include <QSet>

namespace qvl {

class FrmDTA;
struct RunInputs;
class Report;
class RunOutputs;

// Returns what was made: the mails take the e-invoices from it. `outputs`: the run's list
// the files go to (nullptr outside a run).
EInvoiceOutcome ERechnungStep(FrmDTA &form, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen,
                              const Report &letters, const QSet<long> &notCollected, RunReport &report);

} // namespace qvl
