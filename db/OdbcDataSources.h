#pragma once
// What the ODBC driver manager has registered (odbc.ini and odbcinst.ini on Unix, found
// through ODBCINI and ODBCSYSINI as the driver manager finds them; the registry on Windows).

#include <QString>
#include <QStringList>

namespace qvl {

// The driver of a DSN: the "Driver" entry of its section and, when that names a driver
// registered by name, that driver's library too ("FreeTDS /usr/lib/…/libtdsodbc.so").
// Empty when no such DSN is registered.
QString registeredDataSourceDriver(const QString &dsn);

// The database a DSN names ("Database" of its section); empty when it names none.
QString registeredDataSourceDatabase(const QString &dsn);

// The names of the ODBC drivers installed (the driver manager's list, SQLGetInstalledDrivers:
// odbcinst.ini on Unix, the registry on Windows).
QStringList installedOdbcDrivers();

// The library of a driver registered by name; empty when no such driver is registered.
QString registeredDriverLibrary(const QString &driver);

// Where the driver manager would pool the connections of a driver registered by name
// (unixODBC: "Pooling=Yes" in odbcinst.ini and a CPTimeout for the driver), the driver's
// library, named in its place to keep a connection out of the pool; else empty. Windows
// pools only for a program that asks for it, which this one never does.
QString unpooledDriverLibrary(const QString &driver);

} // namespace qvl
