#pragma once
// The check before a run on the e-invoices: every owner who should get one gets one or is
// named — businesses in a direct-debit run that prints no fee notices (the e-invoice is the
// letter with its data, so none is made), owners whose data make no valid e-invoice (by
// the very rules the e-invoice is built with), optional fields left out; and a business
// year box that names no business year of the configured start month.

#include "core/Buchung.h"
#include "check/RunCheck.h"

namespace qvl {

class FrmDTA;
struct RunInputs;

// `sellerName`: the association's name as the letterhead prints it.
void addEInvoiceFindings(const FrmDTA &form, const RunInputs &run, const Buchungen &records, const QString &sellerName, RunCheck &check);

} // namespace qvl
