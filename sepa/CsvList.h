#pragma once
// The CSV list of a run: every booking once more, as the file "Dtaus0.csv" in the export
// folder and as the booking list "Einzelbuchungen SEPA". Both come from one row table
// whose column widths check the data.

#include "print/Report.h"
#include "core/Buchung.h"

#include <optional>

namespace qvl {

class FrmDTA;

struct CsvList {
    Report report;      // the booking list, to be shown
    QString file;       // "Dtaus0.csv" as written; empty when it could not be
    QString fileError;  // German text naming the file when it could not be written, or the
                        // export error log when the owners it had to name could not be
};

// Throws RunError titled "SEPA Fehler", naming the booking, when a booking does not fit
// the table (nothing is written then). An owner whose line holds characters Windows-1252
// lacks (written as "?") is named in the export error log.
CsvList WriteCSVList(FrmDTA &form, const Buchungen &aBuchungen);

// One line of "Dtaus0.csv": the values joined by ";"; a ";" or a line break inside a
// value becomes a blank, so that no value shifts or splits a record.
QString csvListLine(const QStringList &values);

} // namespace qvl
