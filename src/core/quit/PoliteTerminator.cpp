#include "PoliteTerminator.h"

#include "Detached.h"
#include "Log.h"
#include "Quitter.h"
#include "RunningApps.h"

#include <QFutureWatcher>

PoliteTerminator::PoliteTerminator(const AppWindows &windows, std::shared_ptr<const AppProcesses> processes,
                                   Quitter &quitter, qint32 ownPid, QObject *parent)
    : QObject(parent)
    , m_windows(windows)
    , m_processes(std::move(processes))
    , m_quitter(quitter)
    , m_ownPid(ownPid)
{}

void PoliteTerminator::terminate(qint32 pid)
{
    if (pid <= 1 || pid == m_ownPid)
        return;
    // The pid itself stands as an owner too: an app without a window is
    // still found, and gets SIGTERM.
    QList<AppProcesses::WindowOwner> owners =
        RunningApps::owners(m_windows.windows(), m_ownPid);
    owners.append(AppProcesses::WindowOwner{pid, {}});
    auto *watcher = new QFutureWatcher<std::optional<AppEntry>>(this);
    connect(watcher, &QFutureWatcher<std::optional<AppEntry>>::finished, this, [this, watcher, pid] {
        watcher->deleteLater();
        if (const std::optional<AppEntry> app = watcher->result())
            m_quitter.askToQuit(*app);
        else
            qCInfo(lcProcess) << "process" << pid << "had ended before it could be asked to quit";
    });
    watcher->setFuture(Detached::run<std::optional<AppEntry>>([processes = m_processes, owners, pid] {
        for (const ListedApp &app : processes->apps(owners, false)) {
            if (app.pid == pid || (app.pin && app.pin->pids().contains(pid)))
                return std::optional<AppEntry>(AppEntry::from(app));
        }
        return std::optional<AppEntry>();
    }));
}
