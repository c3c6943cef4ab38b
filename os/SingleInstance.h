#pragma once
// Only one GUI instance per user: a lock file marks the running instance, and a local
// socket lets a second instance ask the first one to bring its window to the front.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace qvl {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the lock file and the socket; tests pass their own key.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first instance: the lock is taken and the server listens.
    // False when another instance holds the lock; that instance has then been asked to
    // come to the front (activationRequested is emitted over there).
    bool acquire();

signals:
    void activationRequested();

private:
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace qvl
