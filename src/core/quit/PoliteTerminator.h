#pragma once

#include "AppProcesses.h"
#include "AppTerminator.h"

#include <QObject>

#include <memory>

class Quitter;
class AppWindows;

// Quits one application, named by its pid, the polite way the quitter does:
// its windows are closed through the window manager, SIGTERM only when it
// has none. The app is found (and its processes held) on a worker first.
class PoliteTerminator : public QObject, public AppTerminator {
    Q_OBJECT
public:
    PoliteTerminator(const AppWindows &windows, std::shared_ptr<const AppProcesses> processes,
                     Quitter &quitter, qint32 ownPid, QObject *parent = nullptr);

    void terminate(qint32 pid) override;

private:
    const AppWindows &m_windows;
    const std::shared_ptr<const AppProcesses> m_processes;
    Quitter &m_quitter;
    const qint32 m_ownPid;
};
