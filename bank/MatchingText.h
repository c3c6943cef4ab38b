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
// The lines alone, each ending in a line break.
QString matchingLines(const Matching &matching);
// How many matches of each kind; the summary line of them ("12 Umsätze, 3 bezahlt …").
MatchCounts matchCounts(const Matching &matching);
QString matchingSummary(const MatchCounts &counts);
// A remittance text on one line, at most `length` characters ("…" where cut).
QString shortRemittance(const QString &text, int length = 60);

} // namespace qvl
