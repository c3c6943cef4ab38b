#pragma once
// The first half of a run: everything up to the first write. The start checks (with their
// messages), the member query, the fee calculation with its amount limits, the
// transliteration, and the check before the run (check/RunCheck): what the run will bill,
// the owners it treats otherwise than expected, last year's comparison, the due date.
// Nothing is written: no file, no stored fee, no line of the log file. The second half
// (run/RunDriver) writes from what this half returns.

#include "app/RunInputs.h"
#include "core/Buchung.h"
#include "check/RunCheck.h"
#include "run/RunDriver.h"

#include <QString>
#include <optional>

namespace qvl {

class FrmDTA;

struct PreparedRun {
    RunInputs inputs; // the form as the run read it, once
    bool directDebit = false;
    QString exportPfad;
    Buchungen records; // computed and transliterated; not to be written when the check holds an error
    RunCheck check;
};

// std::nullopt when the run ends here: a check failed, there is nothing to bill, or the
// database failed; the user has been told, and report.outcome says how it ended.
std::optional<PreparedRun> PrepareRun(FrmDTA &form, RunReport &report);

} // namespace qvl
