#include "RunningApps.h"

#include "Detached.h"

#include <QFutureWatcher>
#include <QSet>

RunningApps::RunningApps(const AppWindows &windows, std::shared_ptr<const AppProcesses> processes,
                         qint32 ownPid, QObject *parent)
    : QObject(parent)
    , m_windows(windows)
    , m_processes(std::move(processes))
    , m_ownPid(ownPid)
{}

QList<AppProcesses::WindowOwner> RunningApps::owners(const QList<AppWindows::Window> &windows, qint32 ownPid)
{
    // A process that draws the desktop or a panel is part of the desktop,
    // even when it also opens ordinary windows (a file manager's desktop).
    QSet<qint32> excluded{0, ownPid};
    for (const AppWindows::Window &window : windows) {
        if (window.kind == AppWindows::Kind::Shell)
            excluded.insert(window.pid);
    }
    QList<AppProcesses::WindowOwner> found;
    QSet<qint32> seen;
    for (const AppWindows::Window &window : windows) {
        if (window.kind != AppWindows::Kind::Normal || excluded.contains(window.pid) ||
            seen.contains(window.pid))
            continue;
        seen.insert(window.pid);
        found.append({window.pid, window.windowClass});
    }
    return found;
}

void RunningApps::refresh(bool measure)
{
    const quint64 generation = ++m_generation;
    const QList<AppProcesses::WindowOwner> found = owners(m_windows.windows(), m_ownPid);
    const qint32 ownPid = m_ownPid;
    auto *watcher = new QFutureWatcher<QList<AppEntry>>(this);
    connect(watcher, &QFutureWatcher<QList<AppEntry>>::finished, this, [this, watcher, generation, measure] {
        watcher->deleteLater();
        if (generation == m_generation)
            Q_EMIT listed(watcher->result(), measure);
    });
    watcher->setFuture(Detached::run<QList<AppEntry>>([processes = m_processes, found, measure, ownPid] {
        QList<AppEntry> apps;
        for (const ListedApp &app : processes->apps(found, measure)) {
            // Tarnwick's own helpers count as Tarnwick.
            if (!app.pin || !app.pin->pids().contains(ownPid))
                apps.append(AppEntry::from(app));
        }
        sortByMemory(apps);
        return apps;
    }));
}
