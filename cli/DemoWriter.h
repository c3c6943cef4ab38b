#pragma once
// Writes the demo's rows into a database that already holds the suite's schema.

#include "cli/DemoDatabase.h"

#include <QSqlDatabase>

namespace qvl::demo {

// The fee names, the creditors and the owners with their plots and administrations.
// False with the driver's message in *error on failure; the caller owns the transaction.
bool writeDemoRows(const QSqlDatabase &db, const DemoOptions &options, QString *error);

} // namespace qvl::demo
