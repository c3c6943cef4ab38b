#include "core/InvoiceDate.h"

#include "app/FrmDTA.h"
#include "platform/Conversions.h"

namespace qvl {

std::optional<QDate> invoiceDate(const FrmDTA &form)
{
    const QString text = form.txtRechDat.Text.trimmed();
    if (text.isEmpty())
        return form.clock().today();
    if (const std::optional<QDateTime> date = parseDate(text))
        return date->date();
    return std::nullopt;
}

QString invalidInvoiceDateMessage()
{
    return u"Das Rechnungsdatum ist nicht gültig."_qs;
}

} // namespace qvl
