#pragma once
// The bank file's step of a direct-debit run: reads the form's values for the SEPA writer
// (sepa/SepaWriter) and drives it, on the run's connection or on one of its own.

#include "core/Buchung.h"
#include "sepa/SepaWriter.h"

namespace qvl {

class Database;
class FrmDTA;
class RunOutputs;
struct RunInputs;

// The fee slots whose box on the form is ticked.
fee_slots::SlotMask tickedSlots(const FrmDTA &form);

// The writer's values: the run's inputs and the creditor from the form.
SepaParams sepaParams(const FrmDTA &form, const RunInputs &run, const QString &exportDir);

// The bank file of a run on its connection `db` (the run lock held); see writeSepaFile.
SepaExport CreateSEPAFile(FrmDTA &form, const RunInputs &run, const QString &exportDir, const Buchungen &aBuchungen,
                          Database &db, RunOutputs &outputs);
// A run of the bank file alone on a connection and lock of its own: committed and named;
// the form read as a run reads it (RunError when it holds a value no box takes).
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen);

} // namespace qvl
