#pragma once
// The invoice date of a run (txtRechDat), as the stored fees and the accounting files use it.

#include <QDate>
#include <optional>

namespace qvl {

class FrmDTA;

// The date typed in txtRechDat; an empty box means the run's own day, the date the
// invoices print then. A text that is not a date gives std::nullopt.
std::optional<QDate> invoiceDate(const FrmDTA &form);

// The message for a txtRechDat that is not a date.
QString invalidInvoiceDateMessage();

} // namespace qvl
