#pragma once
// The accompanying slip of a direct-debit run: what was handed to the bank — count and
// total of the SEPA file, the sender's bank data, the volume label — with a line for the
// signature.

#include "print/Report.h"

namespace qvl {

class FrmDTA;

// The slip, to be shown. Throws RunError ("Fehler beim Schreiben der Exportdatei." and
// the reason) when a value does not fit its column of 200 characters.
Report PrintBegleitzettel(FrmDTA &form, qint64 numberOfTransactions, double controlSum);

} // namespace qvl
