#pragma once
// The UN/CEFACT schema of the Cross Industry Invoice (D16B, code lists uncoupled), built
// into the program: every e-invoice's XML is checked against it before its PDF gets its
// name. The norm's business rules (EN 16931) are checked by the tests, not here.

#include <QByteArray>
#include <QString>
#include <optional>

namespace qvl {

// The first error of the document (line and the validator's own English text), or
// nothing when it is valid. Safe to call from several threads at once.
std::optional<QString> ciiSchemaError(const QByteArray &document);

} // namespace qvl
