#pragma once

#include "AppEntry.h"
#include "AppProcesses.h"
#include "AppWindows.h"

#include <QObject>

#include <memory>

// The applications the user could quit: the owners of normal windows, never
// Tarnwick itself, the window manager or whoever draws the desktop, panels or
// docks. The windows are read at once; the processes behind them on a worker.
class RunningApps : public QObject {
    Q_OBJECT
public:
    RunningApps(const AppWindows &windows, std::shared_ptr<const AppProcesses> processes, qint32 ownPid,
                QObject *parent = nullptr);

    // Emits `listed` when done; a newer refresh drops an older one's result.
    void refresh(bool measure);

    static QList<AppProcesses::WindowOwner> owners(const QList<AppWindows::Window> &windows, qint32 ownPid);

Q_SIGNALS:
    // Sorted by memory, largest first (by name when not measured).
    void listed(const QList<AppEntry> &apps, bool measured);

private:
    const AppWindows &m_windows;
    const std::shared_ptr<const AppProcesses> m_processes;
    const qint32 m_ownPid;
    quint64 m_generation = 0;
};
