#pragma once
// Invoice numbers read from a transfer's remittance text.

#include <QList>
#include <QString>

#include <functional>

namespace qvl {

// The numbers a remittance text names: digit runs as written ("RE 1001, 1002"), and where
// they name no registered document, the digits with blanks and line breaks taken out
// ("10 01"). `known` decides which runs are documents.
QList<qint64> numbersInRemittance(const QString &text, const std::function<bool(qint64)> &known);

} // namespace qvl
