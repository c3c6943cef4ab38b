#include "commands/ProgramStart.h"

#include "run/Leftovers.h"
#include "run/RegisterStep.h"

namespace qvl {

StartupResult Form_Load(FrmDTA &form, const QString &commandLine)
{
    StartupSteps steps;
    steps.afterSettings = proposeNextInvoiceNumber;
    steps.tidyUp = clearLeftovers;
    return loadForm(form, commandLine, steps);
}

} // namespace qvl
