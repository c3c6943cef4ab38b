#pragma once
// The checks of the start button before anything is read: the inputs of the payment type,
// the association and the fees, the target of the bank file (the diskette's drive test and
// the questions before overwriting) and every output folder. Each failure is told with its
// message, and the run ends before anything is read or written.

#include "base/UserInterface.h"
#include "run/RunDriver.h"

#include <QString>

namespace qvl {

class FrmDTA;

// A message of the start button or of the run: OK only, no title.
void tell(FrmDTA &form, const QString &text, MsgIcon icon = MsgIcon::Information);

// A direct-debit run whose export folder is the diskette drive.
bool isDisketteTarget(bool directDebit, const QString &exportPfad);

// False when the run ends here (report.outcome set; an empty export path ends it silently,
// as a completed run without anything to do).
bool startChecksPass(FrmDTA &form, bool directDebit, const QString &exportPfad, RunReport &report);

} // namespace qvl
