#pragma once
// Turns the suite's connection string into what QtSql needs.
//
// Strings are read as ADO reads them: "key=value" pairs separated by ";", keys compared
// case-insensitively, blanks around keys and values dropped, a value in single or double
// quotes keeping its ";" and blanks (the quote doubled inside), the last of a repeated key
// winning. A string that names "Driver=", "DSN=" or "FileDSN=" is an ODBC string and read
// by ODBC's rules instead: the first of a repeated key winning. Values in braces ("}}"
// inside) are read in both kinds, and so are ADO's quotes: offices write braces into ADO's
// forms and ADO's quotes into strings for ADO's ODBC provider ("DSN=…;PWD='…'").
//
//  - "Provider=SQLite;Data Source=FILE" opens the embedded SQLite database FILE; so does the
//    suite's OLE DB form with the server "SQLite" and the catalog FILE, which is what the
//    suite's INI file gives with "SQLServer=SQLite" and "DatabaseName=FILE".
//  - The suite's OLE DB form becomes an ODBC string for the driver in use, with ADO's
//    synonyms: Data Source, Server, Address, Addr, Network Address -> Server (host,port and
//    host\instance kept); Initial Catalog, Database -> Database; Integrated Security=SSPI,
//    true or yes, Trusted_Connection=yes -> Trusted_Connection=yes; User ID, UID / Password,
//    PWD -> the login. Other keys (Provider, Persist Security Info, …) are ADO's own.
//  - An ODBC string keeps its keys; a string that names a DSN hands Qt the DSN's name (Qt's
//    ODBC driver puts "DSN=" in front of it itself).
//  - The login goes into the ODBC string as UID and PWD, each value quoted as the driver
//    reads it, and the string ends with ";": so it reaches the server exactly as typed.
//    Windows authentication wins over a login in the same string, as with ADO, unless the
//    environment gives a login (QVL32_SQL_USER, QVL32_SQL_PASSWORD), which replaces it: the
//    way to log in from Linux without Kerberos. A string without any login takes the
//    environment's login too.
//  - With FreeTDS, ClientCharset=UTF-8 is always set (Qt exchanges UTF-8 bytes with FreeTDS;
//    without it FreeTDS converts by the locale, and texts with umlauts are garbled under
//    LANG=C), and TDS_Version=7.4 unless the string names a version (a DSN keeps its own).
//    A server without a port and without an instance is reached on port 1433 (FreeTDS
//    knows no default port for it); an instance is found through the SQL Browser.
//  - "tcp:" before the server is dropped. Connect Timeout, Connection Timeout and Timeout
//    become the driver's login time-out. Encrypt=yes|true|mandatory|strict (or the OLE DB
//    provider's "Use Encryption for Data=True") asks for encryption: Encryption=require for
//    FreeTDS, Encrypt=yes (and TrustServerCertificate as given) for the Windows drivers.
//  - A string that names a Windows driver of SQL Server where that driver is not installed
//    gets the installed driver for SQL Server instead; the translation notes it.
//  - No connection of the program is pooled by the driver manager: the run lock is an
//    application lock of the session, which a pooled connection's reset would not respect.
//    Where unixODBC pools a driver, the driver's library is named in place of its name
//    (the pool is kept per name); a DSN's connections follow its driver's setting.

#include "db/SqlBrowser.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <functional>

namespace qvl {

enum class SqlDialect { SqlServer, Sqlite };

struct ConnectionTarget {
    QString qtDriver;     // "QSQLITE" or "QODBC"
    QString databaseName; // the SQLite file, the ODBC string or the DSN; never the login
    QString userName;     // the login as typed; odbcConnectString() writes it into the string
    QString password;
    bool windowsLogin = false; // Windows authentication (Trusted_Connection)
    bool freeTds = false;      // the ODBC driver in use is FreeTDS, which reads braces its own way
    QString dsnKey;            // "DSN" or "FileDSN" when the string is handed over by a DSN's name
    int loginTimeoutSeconds = 0; // from the string; 0: the program's default
    bool encrypted = false;      // the string asks for encryption
    SqlDialect dialect = SqlDialect::SqlServer;
    QString server;       // for messages: the server (without "tcp:"), or the SQLite file's folder
    int port = 0;         // for messages: the port the driver is sent to; 0: its own choice
    QString database;     // for messages: the catalog, or the SQLite file's name
    QString dataSource;   // for messages: the DSN the string names
    QString catalogPair;  // the database's pair as written into databaseName, or empty
    QString driver;       // for messages: the ODBC driver named, or the DSN's
    QStringList notes;    // German notes on what the translation changed, for the log
    QString error;        // why the string cannot be used (German): an instance not found
};

// What a translation needs besides the string.
struct ConnectionSetup {
    QString odbcDriver; // the ODBC driver for SQL Server, for strings that name none
    QString baseDir;    // resolves a relative SQLite file
    QString sqlUser;    // the login from the environment; empty: none
    QString sqlPassword;
    // What the driver manager knows of a DSN's driver (its registered name and library);
    // empty when the DSN is unknown. Unset: nothing is known of any DSN.
    std::function<QString(const QString &dsn)> dataSourceDriver;
    // Whether an ODBC driver of that name is installed. Unset: every driver is.
    std::function<bool(const QString &driver)> driverInstalled;
    // The library to name in place of a driver whose connections the driver manager would
    // pool; empty or unset: the driver's name.
    std::function<QString(const QString &driver)> unpooledDriver;
    // The database a DSN names, for messages; unset: unknown.
    std::function<QString(const QString &dsn)> dataSourceDatabase;
    // The library a driver registered by name loads; empty or unset: unknown.
    std::function<QString(const QString &driver)> driverLibrary;
    // The port of a named instance, from its machine's SQL Browser, for FreeTDS. Unset: the
    // instance is left to the driver.
    std::function<InstancePort(const QString &machine, const QString &instance, int timeoutSeconds)> instancePort;
    int loginTimeoutSeconds = 30; // where the string names no time-out
    // The ODBC drivers installed here. Set where no driver was chosen (Windows): the suite's
    // OLE DB form then gets the driver that matches its provider (sqlServerDriverFor).
    std::function<QStringList()> installedDrivers;
};

// The ODBC driver for the suite's OLE DB form on Windows: the one of the same family as its
// provider where it is installed — SQLOLEDB (and no provider): "SQL Server"; SQLNCLI11:
// "SQL Server Native Client 11.0"; MSOLEDBSQL: "ODBC Driver 18 for SQL Server", else 17 —,
// else the newest of Microsoft's drivers for SQL Server installed, else "SQL Server", which
// every Windows has. Never FreeTDS.
QString sqlServerDriverFor(const QString &provider, const QStringList &installed);

// This process's setup: the given ODBC driver (empty: defaultOdbcDriver()), the login of
// QVL32_SQL_USER and QVL32_SQL_PASSWORD, and the driver manager's DSNs and drivers.
ConnectionSetup systemConnectionSetup(const QString &odbcDriver, const QString &baseDir,
                                      int loginTimeoutSeconds = 30);

// The ODBC driver used for SQL Server: the environment variable QVL32_ODBC_DRIVER,
// else "SQL Server" on Windows (always installed there) and "FreeTDS" elsewhere.
QString defaultOdbcDriver();

// Whether an ODBC driver (its name or library) is FreeTDS.
bool isFreeTds(const QString &driver);

struct ConnectionPair {
    QString key;
    QString value;
};
// The pairs of a connection string in their order, unquoted, by ADO's rules or, for an
// ODBC string, by ODBC's (see above). Repeated keys stay; connectionStringValue chooses.
QList<ConnectionPair> parseConnectionString(const QString &connectionString);

// The value of a key (compared case-insensitively, without synonyms); empty when absent.
QString connectionStringValue(const QString &connectionString, const QString &key);

// The string as given, with the value of every password key replaced by "***": the one form
// in which a connection string is shown.
QString withoutPasswords(const QString &connectionString);

ConnectionTarget translateConnectionString(const QString &connectionString, const ConnectionSetup &setup);

// What Qt's ODBC driver is handed: the database name (the target's string without the
// login) and the login, each value quoted as the driver reads it. Qt looks only at the
// database name when it writes "DSN=" in front of a string naming neither "DRIVER=" nor
// "SERVER=", or "FILEDSN=" in front of one holding ".dsn", and appends ";UID=" and ";PWD="
// itself; the login (and a database named with ".dsn") therefore goes into the user name and
// password, so that no typed value is read as a key. The string ends with ";".
struct OdbcHandOver {
    QString databaseName; // empty, with a German text in *error, when a value cannot be written
    QString userName;
    QString password;
    // The string the driver manager receives, as Qt's ODBC driver assembles it.
    QString connectString(const QString &qtDriver = u"QODBC"_qs) const;
};
OdbcHandOver odbcHandOver(const ConnectionTarget &target, QString *error);
// odbcHandOver's connectString(); empty, with a German text in *error, when a value cannot be
// written so that the driver reads it back as typed.
QString odbcConnectString(const ConnectionTarget &target, QString *error);
// Without a login from the environment and without knowledge of DSNs.
ConnectionTarget translateConnectionString(const QString &connectionString,
                                           const QString &odbcDriver,
                                           const QString &baseDir);

} // namespace qvl
