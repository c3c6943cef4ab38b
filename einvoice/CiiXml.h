#pragma once
// The invoice data as UN/CEFACT Cross Industry Invoice (CII D16B), profile EN 16931
// ("urn:cen.eu:en16931:2017", Factur-X/ZUGFeRD EN 16931): the XML embedded in the hybrid
// PDF as "factur-x.xml".

#include "einvoice/EInvoiceData.h"

#include <QByteArray>
#include <QString>

namespace qvl {

// The document, UTF-8.
QByteArray ciiXml(const EInvoiceData &invoice);

// Text for element content and attribute values: the five markup characters escaped,
// line breaks as LF, characters XML 1.0 cannot carry (control characters, lone
// surrogates) left out.
QString xmlEscaped(const QString &text);

// An amount in cents as the norm writes it: "1234.50", "-0.05".
QString ciiAmount(Money amount);

} // namespace qvl
