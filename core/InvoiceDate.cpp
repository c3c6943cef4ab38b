#include "core/InvoiceDate.h"

#include "text/Conversions.h"

namespace qvl {

std::optional<QDate> invoiceDate(const QString &typed, const QDate &today)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return today;
    if (const std::optional<QDateTime> date = parseDate(text))
        return date->date();
    return std::nullopt;
}

QString invalidInvoiceDateMessage()
{
    return u"Das Rechnungsdatum ist nicht gültig."_qs;
}

} // namespace qvl
