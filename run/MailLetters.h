#pragma once
// The letters of the owners who get theirs by e-mail, one PDF each: painted together per
// batch (the fonts are subset once per batch, not once per letter) and taken apart with
// qpdf, the way the e-invoices are made.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace qvl {

class Report;

// Calls `take(row, pdf)` for each row of `letters` given, in their order. Returns an
// empty text, or why the letters could not be made (German).
QString eachLetterPdf(const Report &letters, const QList<int> &rows,
                      const std::function<bool(int row, QByteArray pdf)> &take);

} // namespace qvl
