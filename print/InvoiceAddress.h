#pragma once
// The address window of a letter: the owner's address block and, above it, the sender
// line that brings returned mail back.

#include "core/Buchung.h"
#include "print/FeeLines.h"
#include "print/ReportDesign.h"

#include <QString>

namespace qvl {

// The address lines, each ended by CR, in the customer layout's order.
QString addressBlock(const Buchung &b, LayoutVariant variant);

// The sender line as it fits the box at its smallest font.
QString senderLine(const ReportControl &box, const QString &name, const QString &street, const QString &plzOrt);

} // namespace qvl
