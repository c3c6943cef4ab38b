#pragma once
// The accounting exports' settings, read from the main form when the run reaches them.

#include "fibu/FibuSettings.h"

namespace qvl {

class FrmDTA;
struct RunInputs;

fibu::FibuSettings fibuSettings(const FrmDTA &form, const RunInputs &run);
// The same outside a run: the form read as a run reads it (RunError when it holds a value no
// box takes).
fibu::FibuSettings fibuSettings(const FrmDTA &form);

} // namespace qvl
