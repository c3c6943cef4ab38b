#pragma once
// The run's list and slip read from the form: builds the values the CSV list and the
// accompanying slip (print/) take and makes them.

#include "core/Buchung.h"
#include "print/Begleitzettel.h"
#include "print/CsvList.h"

namespace qvl {

class FrmDTA;
struct RunInputs;
class RunOutputs;

// The list's values; in a direct-debit run each record is marked with the reason the bank
// file leaves it out, by the SEPA writer's own rule in the form's bank format.
CsvListParams csvListParams(FrmDTA &form, const RunInputs &run, const Buchungen &aBuchungen);
// `outputs`: the run's list the file goes to (nullptr outside a run).
CsvList WriteCSVList(FrmDTA &form, const RunInputs &run, RunOutputs *outputs, const Buchungen &aBuchungen);
// The same outside a run: the form read as a run reads it (RunError when it holds a value no
// box takes).
CsvListParams csvListParams(FrmDTA &form, const Buchungen &aBuchungen);
CsvList WriteCSVList(FrmDTA &form, const Buchungen &aBuchungen);

SlipParams slipParams(const FrmDTA &form);
Report PrintBegleitzettel(const FrmDTA &form, qint64 numberOfTransactions, Money controlSumCent);

} // namespace qvl
