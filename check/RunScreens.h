#pragma once
// What a front end shows of a run besides its messages: the check before the run and the
// reports it made. Each front end's user interface is also one of these.

#include "base/UserInterface.h"

#include <QString>

namespace qvl {

class Report;
class RunOutputs;
struct RunCheck;

// What the user makes of the check before a run.
enum class RunCheckChoice { Start, Cancel, TakeDueDate };

class RunScreens {
public:
    virtual ~RunScreens() = default;

    // Shows a finished report, from which the user prints: the GUI in its print preview,
    // the batch front end as files. False when it could not be shown; the user has been
    // told why.
    virtual bool showReport(const Report &report) = 0;
    // Before a run's commit: the files a front end keeps of a report (the batch program's
    // PDF and CSV), written whole under hidden names for `run` to name after its commit;
    // showReport then shows what was made. The desktop program keeps none. Throws
    // WriteError when they cannot be written.
    virtual void writeReport(const Report &report, RunOutputs &run)
    {
        Q_UNUSED(report);
        Q_UNUSED(run);
    }
    // The check before a run: its summary and its findings by grade. The user starts the
    // run, cancels it, or takes the proposed due date (the check is then shown again with
    // it). A check that holds an error can only be cancelled: Start counts as Cancel.
    virtual RunCheckChoice showRunCheck(const RunCheck &check) = 0;
    // The folder showReport writes reports into; empty when they are only shown.
    virtual QString reportsFolder() const { return {}; }
};

// The run's screens of a front end's user interface. A user interface without them is a
// fault of the program: std::logic_error.
RunScreens &runScreens(UserInterface &ui);
const RunScreens &runScreens(const UserInterface &ui);

} // namespace qvl
