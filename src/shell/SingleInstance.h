#pragma once

#include <QLocalServer>
#include <QObject>

// One Tarnwick per user session: a second launch asks the running one to
// reopen (show the hub) and exits. A local socket in the runtime folder works
// with or without a D-Bus session.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);

    // True when this process is now the instance; false when a running one
    // took the request instead.
    bool claim();

Q_SIGNALS:
    void reopenRequested();

private:
    bool askRunningInstance();

    QString m_path;
    QLocalServer m_server;
};
