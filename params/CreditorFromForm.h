#pragma once
// The creditor's values as the form holds them: the boxes of the selected creditor entry.

#include "core/Creditor.h"

namespace qvl {

class FrmDTA;

Creditor creditorOf(const FrmDTA &form);

} // namespace qvl
