#pragma once
// The tests' mail server: tests/mail/smtp_server.py (Debian's python3-aiosmtpd) on a
// loopback port, with STARTTLS over a certificate made for the test, a login, and
// recipients it refuses.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace qvl::test {

struct ServerOptions {
    bool tls = true;      // STARTTLS offered and required
    bool implicitTls = false; // with tls: TLS from the first byte instead
    bool login = true;    // user "verein", password kPassword
    QStringList refuse;   // answered 550
    QStringList defer;    // answered 451
    QStringList hold;     // the first mail to one of them: its data's answer held back
    double holdSeconds = 0;
};

inline constexpr char kSmtpPassword[] = "Tannen-Zapfen!42";

struct ReceivedMail {
    QString from;
    QStringList to;
    bool tls = false;
    QByteArray data;
};

class SmtpTestServer {
public:
    explicit SmtpTestServer(const ServerOptions &options = {});
    ~SmtpTestServer();

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    // The CA file that makes the certificate trusted.
    QString certificate() const;
    QList<ReceivedMail> received() const;
    void stop();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
};

// A port nobody listens on.
int closedPort();

} // namespace qvl::test
