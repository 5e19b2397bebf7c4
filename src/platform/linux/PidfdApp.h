#pragma once

#include "AppProcesses.h"

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

// An application's main processes held by pidfds, opened when it was listed:
// signals go through the pidfd, so a process that took over one of the pids
// since is never reached, and its exit is heard on the pidfd (no polling).
class PidfdApp : public PinnedApp {
public:
    // Opens a pidfd for each pid still running the process it ran at
    // `startTimes` (same order); the others are left out.
    PidfdApp(const QList<qint32> &pids, const QList<quint64> &startTimes, QString procRoot);
    ~PidfdApp() override;
    PidfdApp(const PidfdApp &) = delete;
    PidfdApp &operator=(const PidfdApp &) = delete;

    bool isEmpty() const { return m_held.empty(); }
    QList<qint32> pids() const override;
    bool running() const override;
    bool terminate() override;
    bool forceQuit() override;
    void whenGone(std::function<void()> gone) override;

    // A pidfd for `pid`, or -1; with `startTime`, only for the process that started then.
    static int open(qint32 pid, std::optional<quint64> startTime, const QString &procRoot);
    static bool exited(int pidfd);
    static bool signal(int pidfd, int signal);

private:
    struct Held {
        qint32 pid;
        int fd;
    };
    std::vector<Held> m_held;
    const QString m_procRoot;
    std::unique_ptr<QObject> m_watch; // the exit notifiers, on the thread that asked
};
