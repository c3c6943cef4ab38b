#pragma once
// Turns the suite's connection string into what QtSql needs.
//
//  - "Provider=SQLite;Data Source=FILE" opens the embedded SQLite database FILE; so does the
//    suite's OLE DB form with the server "SQLite" and the catalog FILE, which is what the
//    suite's INI file gives with "SQLServer=SQLite" and "DatabaseName=FILE".
//  - A string that names "Driver=" or "DSN=" is an ODBC string and passed through unchanged.
//  - Anything else is read as the suite's OLE DB form and becomes an ODBC connection to
//    SQL Server: Data Source -> Server, Initial Catalog -> Database, Integrated Security=SSPI
//    -> Trusted_Connection=yes, User ID / Password -> UID / PWD; other keys are ignored.

#include <QString>

namespace qvl {

enum class SqlDialect { SqlServer, Sqlite };

struct ConnectionTarget {
    QString qtDriver;     // "QSQLITE" or "QODBC"
    QString databaseName; // the SQLite file, or the ODBC connection string
    SqlDialect dialect = SqlDialect::SqlServer;
    QString server;       // for messages: the server, or the SQLite file's folder
    QString database;     // for messages: the catalog, or the SQLite file's name
};

// The ODBC driver used for SQL Server: the environment variable QVL32_ODBC_DRIVER,
// else "SQL Server" on Windows (always installed there) and "FreeTDS" elsewhere.
QString defaultOdbcDriver();

// The value of a key of a "key=value;…" string (keys compared case-insensitively and
// trimmed); empty when absent.
QString connectionStringValue(const QString &connectionString, const QString &key);

// baseDir resolves a relative SQLite file name.
ConnectionTarget translateConnectionString(const QString &connectionString,
                                           const QString &odbcDriver,
                                           const QString &baseDir);

} // namespace qvl
