#pragma once
// The matching as the clerk reads it: one line per entry, numbered, with the payer, the
// remittance text (shortened), the documents it was assigned to with their owners (or the
// candidates it fits) and why, then the totals.

#include "bank/Matching.h"

#include <QStringList>

namespace qvl {

// "   3  07.01.2027  +45,00 €  Schmidt Bernd  „RE 1023 Beitrag“  bezahlt: Beleg 1023 Schmidt Bernd
//  – Rechnungsnummer im Text"
QString matchLine(const Matching &matching, int index);
// The parts of a line for a table: payer, remittance text, documents with owners, why and note.
struct MatchCells {
    QString payer, remittance, documents, why;
};
MatchCells matchCells(const Matching &matching, int index);
// All lines and a summary line per kind.
QString matchingText(const Matching &matching);
// A remittance text on one line, at most `length` characters ("…" where cut).
QString shortRemittance(const QString &text, int length = 60);

} // namespace qvl
