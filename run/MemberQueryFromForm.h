#pragma once
// The member query's inputs as the form holds them.

#include "fees/MemberQuery.h"

namespace qvl {

class FrmDTA;

// The connection, the association (in the version for several), the sort order and the
// accounting export chosen, as the form holds them.
MemberQueryInputs memberQueryInputs(const FrmDTA &form);

// RunMemberQuery with the form's inputs. Where an owner has no accounting number, the
// form's booking list shows no heading over that column.
void readMembers(FrmDTA &form, const RunInputs &run, Buchungen &records);

} // namespace qvl
