#pragma once
// The check before a run saved for the files: as CSV (Windows-1252, ";", one line per
// owner of each finding, for a spreadsheet) or as PDF (summary and findings, to print or
// to file with the run).

#include <QString>
#include <QStringList>

namespace qvl {

struct RunCheck;

// A header line, then per finding one line for each of its owners (one line for a finding
// without owners): Stufe;Meldung;Nummer;Name;Angabe.
QStringList runCheckCsvLines(const RunCheck &check);

// Writes the check as PDF when the path ends in ".pdf" (in any letter case), else as CSV,
// replacing a file of that name whole or not at all. False with a German text in *error.
bool saveRunCheck(const RunCheck &check, const QString &path, QString *error);

} // namespace qvl
