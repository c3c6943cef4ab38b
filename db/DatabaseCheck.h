#pragma once
// The embedded database checked before a run: a damaged page can hide rows from a query
// without any error, so a run would silently leave owners out.

namespace qvl {

class Database;

// SQLite's quick_check on an embedded database (nothing for SQL Server, which checks its
// own pages). Throws DbError with a German text when the file is damaged.
void checkEmbeddedDatabase(const Database &db);

} // namespace qvl
