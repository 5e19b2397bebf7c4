#pragma once

#include <QLocalServer>
#include <QObject>

// One Tarnwick per user session: a second launch asks the running one to
// reopen (show the hub) and exits. Which one runs is decided by a lock on a
// file beside the socket, which the kernel lets go of when its holder dies:
// a running instance that is stopped or hung keeps it, so a late launch steps
// back instead of taking over, and two never drive the microphone guard at
// once. The local socket in the runtime folder works with or without a D-Bus
// session.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the instance; false when another one
    // holds the lock (it was asked to reopen, whether or not it answered).
    bool claim();

Q_SIGNALS:
    void reopenRequested();

private:
    bool takeLock();
    void listen();
    bool askRunningInstance();

    QString m_path;
    int m_lock = -1;
    QLocalServer m_server;
};
