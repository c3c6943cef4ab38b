#pragma once
// After the letters of a run: the e-invoices of the owners the setting names. Owners
// without one are told at the end (and named in the log file); a file that cannot be
// written is told and fails the run, the files before it stay.

#include "einvoice/EInvoiceWriter.h"
#include "run/Buchung.h"
#include "run/RunDriver.h"

#include <QSet>

namespace qvl {

class FrmDTA;
class Report;

// Returns what was made: the mails take the e-invoices from it.
EInvoiceOutcome ERechnungStep(FrmDTA &form, const Buchungen &aBuchungen, const Report &letters,
                              const QSet<long> &notCollected, RunReport &report);

} // namespace qvl
