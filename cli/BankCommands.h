#pragma once
// The batch commands of the payments: bank-import, open-items, letters.

#include "cli/BatchOptions.h"

namespace qvl {

class BatchUi;
class FrmDTA;

// Exit codes as main's: 0 done, 1 failed, 3 refused or stopped.
int bankImportCommand(FrmDTA &form, const BatchOptions &options, BatchUi &ui);
int openItemsCommand(FrmDTA &form, BatchUi &ui);
int lettersCommand(FrmDTA &form, const BatchOptions &options, BatchUi &ui);

} // namespace qvl
