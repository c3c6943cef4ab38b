#pragma once
// The result of the owner selection: the owner restriction of the next run.

#include <QString>
#include <QStringList>

namespace qvl {

// From the selected list lines in list order (each starting with the owner's number):
// "(" + the numbers joined by "," + ")", or "" when nothing is selected.
QString BuildWBIN(const QStringList &selectedLines);

} // namespace qvl
