#pragma once
// The reasons a bank gives for a returned direct debit (ISO 20022 external return reason
// codes of the SEPA rulebooks), in German.

#include <QString>

namespace qvl {

// "Konto erloschen" for AC04; for a code not known here the code itself with a note.
QString returnReasonText(const QString &code);

} // namespace qvl
