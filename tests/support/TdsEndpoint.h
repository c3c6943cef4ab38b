#pragma once
// The SQL Server stand-in of tds_endpoint.py, started for a test: what a client sent to log
// in, one login at a time.

#include <QJsonObject>
#include <QProcess>
#include <memory>

namespace qvl::test {

class TdsEndpoint {
public:
    // Starts the endpoint; isRunning() is false when Debian's python3 is missing.
    TdsEndpoint();
    ~TdsEndpoint();

    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }       // answers logins
    int silentPort() const { return m_silent; } // accepts and never answers

    // The next connection's record (see tds_endpoint.py); empty when none came within the
    // wait. Records of earlier connections not yet taken are taken first.
    QJsonObject nextLogin(int waitMilliseconds = 10000);
    // Forgets what was recorded so far.
    void clear();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    int m_silent = 0;
};

} // namespace qvl::test
