#pragma once
// What writers stopped half-way leave behind (a kill, a power cut), cleared at every start
// of the program that may write (not the batch command check): the writers' own temporary
// files (tagged ".qvl32.") of the settings file, the reports and the accounting files that
// no writer holds any more, and the files of interrupted runs (named when their run was
// committed, deleted when this database began the run and it never committed). Nothing
// else is deleted, however alike its name: a clerk's "Rechnung.pdf.backup" or an empty
// accounting file stay. Each naming or removal of a run's files is told and logged.

namespace qvl {

class FrmDTA;

void clearLeftovers(FrmDTA &form);

} // namespace qvl
