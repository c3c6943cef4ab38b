#pragma once
// What writers stopped half-way leave behind (a kill, a power cut), cleared at every start
// of the program that may write (not the batch command check): temporary files of the
// settings file and untagged ones of older versions that no writer holds any more, empty
// accounting files that an older version reserved, and the files of interrupted runs
// (named when their run was committed, deleted when it was not, only this database's).
// Each naming or removal of a run's files is told and logged.

namespace qvl {

class FrmDTA;

void clearLeftovers(FrmDTA &form);

} // namespace qvl
