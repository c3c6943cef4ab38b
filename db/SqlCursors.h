#pragma once
// The two ways of reading rows: SQLite's own interface for the embedded database, and
// QtSql for everything else.

#include "db/RowCursor.h"

#include <QSqlQuery>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace qvl {

// Throws DbError naming the statement when it cannot be prepared or bound.
std::unique_ptr<RowCursor> openSqliteCursor(sqlite3 *handle, const QString &statement, const QVariantList &values);

// Takes an executed query.
std::unique_ptr<RowCursor> openQtCursor(QSqlQuery query);

} // namespace qvl
