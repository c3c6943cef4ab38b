#pragma once
// The program's own tables beside the suite's: one list, used by the run (created when
// missing, where the login may), by the batch command init-db and by the desktop program's
// offer to create them, and printed as T-SQL for a database administrator. A module that
// keeps tables of its own adds one function returning them to the list in OwnTables.cpp.

#include "core/OwnTable.h"
#include "db/Database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace qvl {

// Every own table of every module, in the order they are created.
QList<OwnTable> ownTables();

// The own tables the database lacks. Throws DbError.
QStringList missingOwnTables(Database &db);

// A server refused to create a table: as a rule a login without the right to.
struct NoRightToCreate : std::runtime_error {
    explicit NoRightToCreate(const QString &why) : std::runtime_error(why.toStdString()), reason(why) {}
    QString reason;
};

// Creates the missing tables; returns their names (empty: all were there). Throws
// NoRightToCreate, or DbError (the embedded database's disk or file).
QStringList createOwnTables(Database &db);

// Before anything of a run is written: creates the missing tables or, where the login may
// not, throws RunError (Input) with initDbMessage().
void ensureOwnTables(Database &db);

// Why a run cannot start without the tables, and what the administrator runs.
QString initDbMessage(const QStringList &missing, const QString &reason);

// The T-SQL that creates every missing own table; runs any number of times.
QString ownTablesSqlServerScript();

} // namespace qvl
