#pragma once
// Named instants of a run at which the tests stop the program the way a power cut, kill or
// a second clerk would: QVL32_FAULT_POINT=NAME:ACTION in the environment, ACTION being KILL,
// TERM or INT (the signal sent to the program itself) or WAIT:FILE (creates FILE.ready,
// then waits until FILE exists: a barrier for runs started together). KILL#N kills at the
// N-th time the point is reached. THROW throws an exception of no kind the program expects
// there, on whichever thread reaches the point. FAIL makes the step that asks
// faultFails(NAME) fail as the system would let it (a file held by another program, a lost
// answer of the server); several steps fail together when listed with commas
// ("commit-io:FAIL,nachlesen:FAIL").
// Without the variable a fault point does nothing.

namespace qvl {

void faultPoint(const char *name);

// True when the tests want the step of this name to fail.
bool faultFails(const char *name);

} // namespace qvl
