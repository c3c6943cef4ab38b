#include "support/TdsEndpoint.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace qvl::test {

TdsEndpoint::TdsEndpoint() : m_process(std::make_unique<QProcess>())
{
    const QString python = u"/usr/bin/python3"_qs;
    if (!QFileInfo(python).isExecutable())
        return;
    m_process->start(python, {QStringLiteral(QVL_SOURCE_DIR "/tests/support/tds_endpoint.py")});
    if (!m_process->waitForStarted(10000))
        return;
    while (!m_process->canReadLine() && m_process->waitForReadyRead(10000)) {
    }
    const QList<QByteArray> ports = m_process->readLine().trimmed().split(' ');
    if (ports.size() == 5) {
        m_port = ports[0].toInt();
        m_silent = ports[1].toInt();
        m_tls = ports[2].toInt();
        m_browserHost = ports[3] == "-" ? QString() : QString::fromLatin1(ports[3]);
        m_localBrowser = ports[4] == "1";
    }
}

TdsEndpoint::~TdsEndpoint()
{
    m_process->closeWriteChannel(); // the endpoint ends with its input
    if (!m_process->waitForFinished(5000))
        m_process->kill();
    m_process->waitForFinished(5000);
}

QJsonObject TdsEndpoint::nextLogin(int waitMilliseconds)
{
    if (!m_process->canReadLine())
        m_process->waitForReadyRead(waitMilliseconds);
    while (m_process->canReadLine() || m_process->waitForReadyRead(100)) {
        if (!m_process->canReadLine())
            continue;
        const QJsonDocument line = QJsonDocument::fromJson(m_process->readLine());
        if (line.isObject() && line.object().contains(u"browser"_qs)) {
            m_browserAsked.append(line.object().value(u"browser"_qs).toString());
            continue;
        }
        if (line.isObject())
            return line.object();
    }
    return {};
}

void TdsEndpoint::clear()
{
    m_process->waitForReadyRead(100);
    m_process->readAllStandardOutput();
    m_browserAsked.clear();
}

} // namespace qvl::test
