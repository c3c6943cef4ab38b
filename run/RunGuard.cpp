#include "run/RunGuard.h"

#include "app/FrmDTA.h"
#include "core/RunError.h"
#include "base/InternalError.h"
#include "run/StartChecks.h"

namespace qvl {

namespace {

// A step after the bank file failed: the clerk must know that the debits are on their way
// to the bank, or a second run would collect them again.
QString bankFileNote(const RunReport &report)
{
    if (report.bankFile.isEmpty())
        return {};
    return u"\n\nDie SEPA-Datei „"_qs + report.bankFile
           + u"“ ist erstellt und die Beiträge sind gespeichert. Wiederholen Sie den Lauf nicht, sonst werden "
             "dieselben Lastschriften ein zweites Mal eingezogen."_qs;
}

} // namespace

void runGuarded(FrmDTA &f, RunReport &report, const std::function<void()> &step)
{
    BusyPointer busy(f.ui());
    RunSignalScope signalScope;
    try {
        step();
    } catch (const RunError &e) {
        const bool input = e.kind() == RunError::Kind::Input;
        tell(f, e.message() + bankFileNote(report), input ? MsgIcon::Exclamation : MsgIcon::Critical);
        report.outcome = input ? RunOutcome::Stopped : RunOutcome::Failed;
        if (e.kind() == RunError::Kind::Interrupted)
            report.outcome = RunOutcome::Interrupted;
    } catch (const DbError &e) {
        tell(f, u"Der Beitragslauf wurde abgebrochen.\n"_qs + e.message() + bankFileNote(report), MsgIcon::Critical);
        report.outcome = RunOutcome::Failed;
    } catch (...) {
        // Anything else is a fault of the program: the step's objects have cleaned up on the
        // way here (the transaction rolled back, the hidden files removed) as for any failure.
        tell(f, u"Der Beitragslauf wurde abgebrochen.\n"_qs + internalErrorText(std::current_exception())
                    + bankFileNote(report),
             MsgIcon::Critical);
        report.outcome = RunOutcome::Failed;
    }
}

} // namespace qvl
