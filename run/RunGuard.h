#pragma once
// One half of a run as the start button runs it: the busy pointer on, Ctrl-C and SIGTERM
// only recorded, and a RunError or DbError it throws told to the user and turned into the
// run's outcome; any other exception is told as "Interner Fehler" and fails the run.

#include "run/RunDriver.h"

#include <functional>

namespace qvl {

class FrmDTA;

void runGuarded(FrmDTA &form, RunReport &report, const std::function<void()> &step);

} // namespace qvl
