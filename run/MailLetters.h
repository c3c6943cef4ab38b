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

// Calls `take(row, pdf)` for each row of `letters` given, in their order, until it returns
// false. Throws WriteError naming `target` (the folder the letters are for) when they
// cannot be painted or taken apart.
void eachLetterPdf(const Report &letters, const QList<int> &rows, const QString &target,
                   const std::function<bool(int row, QByteArray pdf)> &take);

} // namespace qvl
