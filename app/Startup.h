#pragma once
// Loading and closing the main form: the program's start and its orderly end.

#include <QString>

namespace qvl {

class FrmDTA;

enum class StartupResult {
    Ready,           // the form is loaded; closing it writes the settings back
    SecondInstance,  // another instance runs and was brought to the front
    SettingsMissing, // the settings file is missing; nothing will be written
    Failed           // the database could not be reached or read; reported to the user
};

// commandLine: "connection string|suite INI path", both parts optional.
StartupResult Form_Load(FrmDTA &form, const QString &commandLine);

// Writes the settings file when start-up read it, then closes the shared connection.
// False when the file could not be written (the user has been told).
bool Form_Unload(FrmDTA &form);

} // namespace qvl
