#pragma once
// What writers stopped half-way leave behind (a kill, a power cut), cleared at every start
// of the program: temporary files of the settings file, the reports, the CSV list and the
// accounting files that no writer holds any more, empty accounting files that an older
// version reserved, and the bank files of interrupted runs (named when their fees are
// stored, deleted when not). Each removal or naming of a bank file is told and logged.

namespace qvl {

class FrmDTA;

void clearLeftovers(FrmDTA &form);

} // namespace qvl
