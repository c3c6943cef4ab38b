#include "mail/SmtpTestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

namespace qvl::test {

namespace {

bool makeCertificate(const QString &dir)
{
    QProcess openssl;
    openssl.start(u"openssl"_qs, {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs, u"-nodes"_qs, u"-days"_qs,
                                  u"2"_qs, u"-subj"_qs, u"/CN=127.0.0.1"_qs, u"-addext"_qs,
                                  u"subjectAltName=IP:127.0.0.1"_qs, u"-keyout"_qs, dir + u"/key.pem"_qs,
                                  u"-out"_qs, dir + u"/cert.pem"_qs});
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}

} // namespace

SmtpTestServer::SmtpTestServer(const ServerOptions &o)
{
    QStringList args{QStringLiteral(QVL_SOURCE_DIR) + u"/tests/mail/smtp_server.py"_qs, u"--out"_qs,
                     m_dir.filePath(u"received.jsonl"_qs)};
    if (o.tls) {
        if (!makeCertificate(m_dir.path()))
            return;
        args << u"--cert"_qs << m_dir.filePath(u"cert.pem"_qs) << u"--key"_qs << m_dir.filePath(u"key.pem"_qs);
        if (o.implicitTls)
            args << u"--implicit"_qs;
    }
    if (o.login)
        args << u"--user"_qs << u"verein"_qs << u"--password"_qs << QString::fromLatin1(kSmtpPassword);
    for (const QString &r : o.refuse)
        args << u"--refuse"_qs << r;
    for (const QString &d : o.defer)
        args << u"--defer"_qs << d;
    for (const QString &h : o.hold)
        args << u"--hold"_qs << h;
    if (!o.hold.isEmpty())
        args << u"--hold-seconds"_qs << QString::number(o.holdSeconds);
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter, where python3-aiosmtpd lives.
    m_process->start(u"/usr/bin/python3"_qs, args);
    if (!m_process->waitForStarted(10000))
        return;
    QElapsedTimer waited;
    waited.start();
    while (m_port == 0 && waited.elapsed() < 30000) {
        while (m_port == 0 && m_process->canReadLine()) {
            const QByteArray line = m_process->readLine().trimmed();
            if (line.startsWith("PORT "))
                m_port = line.mid(5).toInt();
        }
        if (m_port == 0 && !m_process->waitForReadyRead(500) && m_process->state() == QProcess::NotRunning)
            break;
    }
}

SmtpTestServer::~SmtpTestServer()
{
    stop();
}

void SmtpTestServer::stop()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(10000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QString SmtpTestServer::certificate() const
{
    return m_dir.filePath(u"cert.pem"_qs);
}

QList<ReceivedMail> SmtpTestServer::received() const
{
    QList<ReceivedMail> mails;
    QFile file(m_dir.filePath(u"received.jsonl"_qs));
    if (!file.open(QIODevice::ReadOnly))
        return mails;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        ReceivedMail m;
        m.from = o.value(u"from"_qs).toString();
        for (const QJsonValue &to : o.value(u"to"_qs).toArray())
            m.to.append(to.toString());
        m.tls = o.value(u"tls"_qs).toBool();
        m.data = QByteArray::fromBase64(o.value(u"data"_qs).toString().toLatin1());
        mails.append(m);
    }
    return mails;
}

int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace qvl::test
