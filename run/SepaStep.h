#pragma once
// The bank file's step of a direct-debit run: reads the form's values for the SEPA writer
// (sepa/SepaWriter) and drives it, on the run's connection or on one of its own.

#include "core/Buchung.h"
#include "sepa/SepaWriter.h"

namespace qvl {

class Database;
class FrmDTA;
class RunOutputs;

// The fee slots whose box on the form is ticked.
fee_slots::SlotMask tickedSlots(const FrmDTA &form);

// The writer's values, read from the form. Throws RunError (Input) when the invoice date is
// not a date.
SepaParams sepaParams(const FrmDTA &form, const QString &exportDir);

// The bank file of a run on its connection `db` (the run lock held); see writeSepaFile.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen, Database &db,
                          RunOutputs &outputs);
// A run of the bank file alone on a connection and lock of its own: committed and named.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen);

} // namespace qvl
