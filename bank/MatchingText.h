#pragma once
// The matching as the clerk reads it: one line per entry, numbered, with the documents it
// was assigned to or the candidates it fits, then the totals.

#include "bank/Matching.h"

#include <QStringList>

namespace qvl {

// "3  07.01.2027  +45,00 €  Schmidt Bernd  bezahlt: Rechnung 1023 (IBAN und Betrag)"
QString matchLine(const Matching &matching, int index);
// All lines and a summary line per kind.
QString matchingText(const Matching &matching);

} // namespace qvl
