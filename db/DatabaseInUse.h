#pragma once
// A database that another program or desk holds is in use, not damaged: SQLite's
// SQLITE_BUSY and SQLITE_LOCKED (also their extended codes), SQL Server's lock time-out
// (1222, "Lock request time out period exceeded"). Told as such, with a try again, so that
// nobody restores a backup over a year's stored fees because of a lock.

#include <QString>

class QSqlError;

namespace qvl {

// Whether a SQLite result code, primary or extended, is a lock another connection holds.
bool sqliteInUse(int resultCode);

// Whether a failed statement or connection met a lock: on the embedded database (`sqlite`)
// the codes above, which Qt's SQLite driver gives as the native code; on SQL Server its
// 1222.
bool databaseInUse(const QSqlError &error, bool sqlite);

// The message: `database` names it ("„C:\\Daten\\verband.db“"; empty: none), `details`
// is the driver's own text, shown under "Details".
QString databaseInUseMessage(const QString &database, const QString &details);

} // namespace qvl
