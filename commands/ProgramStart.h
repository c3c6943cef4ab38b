#pragma once
// The program's start as the front ends and the tests call it: the form's loading
// (app/Startup) with the steps that need the run's side — the next free invoice number
// after the register's highest, and the files interrupted runs and writers left behind.

#include "app/Startup.h"

namespace qvl {

// commandLine: "connection string|suite INI path", both parts optional.
StartupResult Form_Load(FrmDTA &form, const QString &commandLine);

} // namespace qvl
