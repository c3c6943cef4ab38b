#pragma once
// The structured creditor reference of ISO 11649 ("RF" + two check digits + up to 21
// letters and digits) that the letters print for a transfer and the bank's statements
// bring back: the program's reference is the invoice number, "RF18 1001".

#include <QString>
#include <optional>

namespace qvl {

// "RF181001" for 1001 (electronic form, no blanks).
QString creditorReference(qint64 invoiceNumber);
// "RF18 1001": in groups of four, as printed.
QString printedCreditorReference(const QString &reference);
// True for a reference whose check digits are right (blanks are ignored, letters in any case).
bool validCreditorReference(const QString &reference);
// The invoice number an RF reference of the program names: valid check digits and digits
// alone after them; std::nullopt else.
std::optional<qint64> invoiceOfCreditorReference(const QString &reference);

} // namespace qvl
