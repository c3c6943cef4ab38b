#pragma once
// After the letters of a run: the e-invoices of the owners the setting names. Owners
// without one are told (and named in the log file); a file or folder that cannot be
// written throws RunError, which stops the run before its commit: no file of it remains.

#include "einvoice/EInvoiceWriter.h"
#include "core/Buchung.h"
#include "run/RunDriver.h"

#include <QSet>

namespace qvl {

class FrmDTA;
struct RunInputs;
class Report;

// Returns what was made: the mails take the e-invoices from it.
EInvoiceOutcome ERechnungStep(FrmDTA &form, const RunInputs &run, const Buchungen &aBuchungen, const Report &letters,
                              const QSet<long> &notCollected, RunReport &report);

} // namespace qvl
