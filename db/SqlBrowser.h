#pragma once
// The SQL Server Browser of a machine (UDP 1434): the TCP port of a named instance
// ("SRV\SQLEXPRESS"), asked for within the connection's time-out. FreeTDS would ask itself,
// but without a time-out of its own (the login's does not bound it) and reading "SRV\INST,1433"
// as an instance called "INST,1433".

#include <QString>

namespace qvl {

struct InstancePort {
    int port = 0;  // 0: not found
    QString error; // why not (German), naming the instance and the machine
};

// The instance's TCP port, as the Browser on `host` answers within `timeoutSeconds`.
InstancePort sqlBrowserInstancePort(const QString &host, const QString &instance, int timeoutSeconds,
                                    quint16 browserPort = 1434);

// The port in a Browser's answer for the instance ("ServerName;SRV;InstanceName;INST;…;tcp;
// 1433;;"); 0 when it names none for TCP.
int instancePortOfAnswer(const QByteArray &answer, const QString &instance);

} // namespace qvl
