#include "os/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace qvl {

namespace {

constexpr QByteArrayView kActivate = "activate";
constexpr int kSocketTimeoutMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
    , m_lock(std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(key + u".lock"_qs)))
{
    // The instance lives as long as the user works with it: only a dead owner makes the
    // lock stale, never its age.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    // Stop listening before the lock goes, so a successor never finds our server.
    delete m_server;
    m_server = nullptr;
    m_lock.reset();
}

bool SingleInstance::acquire()
{
    if (m_server)
        return true;

    // tryLock takes over the lock file of a crashed instance (owner process gone).
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
            // No lock file possible (temp folder not writable): better a second instance
            // than none at all.
            qWarning("SingleInstance: cannot create the lock file for %s", qPrintable(m_key));
            return true;
        }
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(kSocketTimeoutMs)) {
            socket.write(kActivate.toByteArray() + '\n');
            socket.waitForBytesWritten(kSocketTimeoutMs);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(kSocketTimeoutMs);
        }
        return false;
    }

    // A crashed instance may have left its socket behind; the lock says it is ours now.
    QLocalServer::removeServer(m_key);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_key)) {
        // The lock alone still keeps a second instance out; it just cannot wake us.
        qWarning("SingleInstance: cannot listen on %s: %s", qPrintable(m_key),
                 qPrintable(server->errorString()));
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *client = server->nextPendingConnection()) {
            auto readRequests = [this, client] {
                while (client->canReadLine())
                    if (client->readLine().trimmed() == kActivate)
                        emit activationRequested();
            };
            connect(client, &QLocalSocket::readyRead, this, readRequests);
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    m_server = server;
    return true;
}

} // namespace qvl
