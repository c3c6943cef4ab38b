#pragma once
// The check's findings about the e-mail of a run: owners whose letter goes on paper because
// their address cannot be used, and a run that would mail without a sender.

#include "core/Buchung.h"

namespace qvl {

class FrmDTA;
struct RunCheck;

void addMailFindings(const FrmDTA &form, const Buchungen &records, RunCheck &check);

} // namespace qvl
