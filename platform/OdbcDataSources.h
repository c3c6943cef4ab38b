#pragma once
// What the ODBC driver manager has registered (odbc.ini and odbcinst.ini on Unix, found
// through ODBCINI and ODBCSYSINI as the driver manager finds them; the registry on Windows).

#include <QString>

namespace qvl {

// The driver of a DSN: the "Driver" entry of its section and, when that names a driver
// registered by name, that driver's library too ("FreeTDS /usr/lib/…/libtdsodbc.so").
// Empty when no such DSN is registered.
QString registeredDataSourceDriver(const QString &dsn);

// The library of a driver registered by name; empty when no such driver is registered.
QString registeredDriverLibrary(const QString &driver);

} // namespace qvl
