#pragma once
// Invoices and fee notices: one letter per owner with letterhead, sender line and address
// for a window envelope, the fee breakdown, sum, VAT and, in direct-debit runs, the note
// which account will be debited.

#include "print/Report.h"
#include "run/Buchung.h"

namespace qvl {

class FrmDTA;

// The letters of the run's records, to be shown. Places the design's controls after the
// printed fees and from the settings. Throws RunError (a value that does not fit its
// column, a position that is not a number) or DbError (the association's row).
Report PrintRechnungen(FrmDTA &form, const Buchungen &aBuchungen);

// The sender's name the letterhead prints: in association mode the association's name
// from the database (DbError when it cannot be read), else the firm's name.
QString invoiceSenderName(const FrmDTA &form);

} // namespace qvl
