#pragma once
// The folders a run will write into, checked before anything is read or written: a folder
// found missing only after the bank file would leave a collected run without its other
// outputs.

#include <QString>

namespace qvl {

class FrmDTA;

// The German message naming the first folder of the run that does not exist or cannot be
// written, empty when all can. The export folder (the bank file, the CSV list), the
// accounting folder when an accounting export is chosen, the folder the reports are
// written into.
QString missingOutputFolder(const FrmDTA &form, bool directDebit, const QString &exportPfad);

} // namespace qvl
