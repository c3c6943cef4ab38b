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
    if (ports.size() == 2) {
        m_port = ports[0].toInt();
        m_silent = ports[1].toInt();
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
        if (line.isObject())
            return line.object();
    }
    return {};
}

void TdsEndpoint::clear()
{
    m_process->waitForReadyRead(100);
    m_process->readAllStandardOutput();
}

} // namespace qvl::test
