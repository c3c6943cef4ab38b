#pragma once
// Loading and closing the main form: the program's start and its orderly end.

#include <QString>
#include <functional>

namespace qvl {

class FrmDTA;

enum class StartupResult {
    Ready,           // the form is loaded; closing it writes the settings back
    SecondInstance,  // another instance runs and was brought to the front
    SettingsMissing, // the settings file is missing; nothing will be written
    Failed           // the database could not be reached or read; reported to the user
};

// What loading the form leaves to the run's side (see commands/ProgramStart), in this order:
// `afterSettings` once settings and models are loaded (it may throw DbError, which fails the
// start like the form's own reading), `tidyUp` when the context asks to tidy up at start.
struct StartupSteps {
    std::function<void(FrmDTA &)> afterSettings;
    std::function<void(FrmDTA &)> tidyUp;
};

// commandLine: "connection string|suite INI path", both parts optional.
StartupResult loadForm(FrmDTA &form, const QString &commandLine, const StartupSteps &steps);

// Writes the settings file when start-up read it, then closes the shared connection.
// False when the file could not be written (the user has been told).
bool Form_Unload(FrmDTA &form);

} // namespace qvl
