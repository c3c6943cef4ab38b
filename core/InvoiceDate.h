#pragma once
// The invoice date of a run (txtRechDat), as the stored fees and the accounting files use it.

#include <QDate>
#include <QString>
#include <optional>

namespace qvl {

// The date typed in txtRechDat; an empty box means the run's own day (`today`), the date
// the invoices print then. A text that is not a date gives std::nullopt. The form's own
// (invoiceDate(const FrmDTA &)) is declared with the form.
std::optional<QDate> invoiceDate(const QString &typed, const QDate &today);

// The message for a txtRechDat that is not a date.
QString invalidInvoiceDateMessage();

} // namespace qvl
