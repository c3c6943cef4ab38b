#pragma once
// The SQL Server stand-in of tds_endpoint.py, started for a test: what a client sent to log
// in, one login at a time.

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
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
    int tlsPort() const { return m_tls; }       // requires encryption, then breaks the handshake off
    // A loopback address (127.0.x.y) of the endpoint's own where a SQL Browser answers for
    // the instances SQLEXPRESS and QUARVEL with port(), and port() answers logins; empty
    // when none could be had.
    QString browserHost() const { return m_browserHost; }
    // Whether the same Browser answers on 127.0.0.1 too (for "(local)\SQLEXPRESS").
    bool localBrowser() const { return m_localBrowser; }
    // The instances the Browsers were asked for since the last clear(), in order.
    const QStringList &browserAsked() const { return m_browserAsked; }

    // The next connection's record (see tds_endpoint.py); empty when none came within the
    // wait. Records of earlier connections not yet taken are taken first.
    QJsonObject nextLogin(int waitMilliseconds = 10000);
    // Forgets what was recorded so far.
    void clear();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    int m_silent = 0;
    int m_tls = 0;
    QString m_browserHost;
    bool m_localBrowser = false;
    QStringList m_browserAsked;
};

} // namespace qvl::test
