#pragma once
// The CSV list of a run: every booking once more, as the file "Dtaus0.csv" in the export
// folder and as the booking list "Einzelbuchungen SEPA". Both come from one row table
// whose column widths check the data.

#include "print/Report.h"
#include "core/Buchung.h"

#include <optional>
#include <vector>

namespace qvl {

class Clock;
class RunOutputs;

// What the list takes of a run besides its records (see params/ListReports).
struct CsvListParams {
    qint64 firstInvoiceNumber = 0;  // the first record's number, as the fee calculation gave it
    bool directDebit = false;
    // Per record: why the bank file leaves it out (sepa/BookingSelection's leftOutReason),
    // empty when it carries it.
    std::vector<QString> notInBankFile;
    ReportDesign *design = nullptr;  // the booking list's design; its sums are shown or hidden
    QString exportDir;               // where "Dtaus0.csv" goes, ending with a separator
    QString programDir;              // where the export error log is
    const Clock *clock = nullptr;
    // The run's list the file goes to, hidden until its commit names it (the log's lines
    // wait there too); nullptr outside a run: it replaces the old file at once.
    RunOutputs *outputs = nullptr;
};

struct CsvList {
    Report report; // the booking list, to be shown
    QString file;  // "Dtaus0.csv" as written (or, within a run, as it will be named)
};

// Throws WriteError titled "SEPA Fehler", naming the owner, when a booking does not fit the
// table (nothing is written then), and WriteError naming the file when it, or the export
// error log, cannot be written. An owner whose line holds characters Windows-1252 lacks
// (written as "?") is named in the export error log.
CsvList WriteCSVList(const CsvListParams &params, const Buchungen &aBuchungen);

// One line of "Dtaus0.csv": the values joined by ";"; a ";" or a line break inside a
// value becomes a blank, so that no value shifts or splits a record.
QString csvListLine(const QStringList &values);

} // namespace qvl
