#pragma once
// Why a connection to SQL Server could not be opened, told so that a clerk can act on it:
// one German text per cause, the driver's own text only under "Details".

#include "db/ConnectionString.h"

namespace qvl {

enum class ConnectionFault {
    Unreachable,        // no server answers at that name and port
    NoAnswer,           // the server took the connection but did not answer in time
    LoginRefused,       // user or password wrong, or the login may not sign in
    DatabaseNotFound,   // no such database, or the login may not open it
    WindowsLoginFailed, // Windows authentication without a Kerberos ticket (FreeTDS)
    NoEncryption,       // encryption asked for, the server offers none
    TlsFailed,          // the encrypted channel could not be set up (certificate, protocol)
    PasswordExpired,    // 18487, 18488: the password has expired or must be changed
    LoginDisabled,      // 18470: the login is disabled
    NoDriver,           // the driver manager finds no such driver (or its library)
    Other
};

// The cause, from the driver's text and its native error numbers (SQL Server's 18456,
// 4060, FreeTDS's 20009 …), joined as the driver gives them.
ConnectionFault classifyConnectionFault(const ConnectionTarget &target, const QString &driverText,
                                        const QString &nativeCodes);

// headline: what could not be opened (server and database). timeoutSeconds: the login
// time-out in force. The driver's text follows under "Details:".
QString connectionFailureMessage(const ConnectionTarget &target, const QString &headline, const QString &driverText,
                                 const QString &nativeCodes, int timeoutSeconds);
// The same for a cause already known.
QString connectionFailureMessage(const ConnectionTarget &target, const QString &headline, const QString &driverText,
                                 ConnectionFault fault, int timeoutSeconds);

} // namespace qvl
