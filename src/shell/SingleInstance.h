#pragma once

#include <QString>

// One Tarnwick per user: who runs is decided by a lock on a file in the
// runtime folder, which the kernel lets go of when its holder dies. A running
// instance that is stopped or hung keeps it, so a late launch steps back
// instead of taking over, and two never drive the microphone guard at once,
// with or without a session bus (or with two of them). A late launch reaches
// the running one through its bus name and asks it to open the hub.
class SingleInstance {
public:
    SingleInstance(QString lockPath, QString busName);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process is now the instance; false when another one
    // holds the lock (it was asked to open the hub, whether or not it answered).
    bool claim();

private:
    bool takeLock();
    void askRunningInstance();

    QString m_lockPath;
    QString m_busName;
    int m_lock = -1;
};
