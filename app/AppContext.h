#pragma once
// What the main form needs from its surroundings: where the program lives, how it talks
// to the user, what time it is, and how to reach SQL Server.

#include "base/Clock.h"
#include "db/Database.h"
#include "base/UserInterface.h"

#include <QString>

namespace qvl {

class SingleInstance;

struct AppContext {
    QString programDir;           // the folder of the settings file and the log file
    UserInterface *ui = nullptr;
    const Clock *clock = nullptr;
    DbOptions dbOptions;          // ODBC driver for SQL Server
    SingleInstance *instance = nullptr; // the GUI's guard; the batch program passes none
    bool tidyUpAtStart = true;    // false: a start that writes nothing (no recovery, no clean-up)
};

} // namespace qvl
