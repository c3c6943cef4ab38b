#pragma once
// The accounting exports' settings, read from the main form when the run reaches them.

#include "fibu/FibuSettings.h"

namespace qvl {

class FrmDTA;

fibu::FibuSettings fibuSettings(const FrmDTA &form);

} // namespace qvl
