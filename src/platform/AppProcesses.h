#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A listed application's main processes, held from the moment it was listed,
// so that nothing done through it can reach a process that took over one of
// their pids later. Main thread only, except `pids`.
class PinnedApp {
public:
    virtual ~PinnedApp() = default;
    virtual QList<qint32> pids() const = 0;
    // Whether any of its main processes still runs (a zombie does not).
    virtual bool running() const = 0;
    // SIGTERM to its main processes; false when none could be asked.
    virtual bool terminate() = 0;
    // SIGKILL to its main processes and everything they started.
    virtual bool forceQuit() = 0;
    // `gone` is called once, from the event loop of the calling thread, when
    // none of its main processes runs any more; at once when none runs now.
    virtual void whenGone(std::function<void()> gone) = 0;
};

// One application, as the processes of its windows show it.
struct ListedApp {
    qint32 pid = 0;         // its first main process
    QString name;           // the desktop entry's Name, else the process's name
    QString appId;          // desktop-file id or sandbox app id; empty when none
    QString icon;           // the desktop entry's Icon; may be empty
    QStringList categories; // the desktop entry's Categories
    quint64 memory = 0;     // its processes' own memory in bytes; 0 when not measured
    std::shared_ptr<PinnedApp> pin;
};

// The applications behind a set of window owners. Thread-safe and blocking:
// run it off the main thread.
class AppProcesses {
public:
    struct WindowOwner {
        qint32 pid = 0;
        QString windowClass; // the window's class; may be empty
    };
    virtual ~AppProcesses() = default;
    // One entry per application, however many of the owners belong to it.
    // With `measure`, each one's memory summed over its process tree.
    virtual QList<ListedApp> apps(const QList<WindowOwner> &owners, bool measure) const = 0;
};
