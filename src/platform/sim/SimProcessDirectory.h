#pragma once

#include "ProcessDirectory.h"

#include <QHash>
#include <QMutex>

// Processes and applications set by hand. Thread-safe, like the real one.
class SimProcessDirectory : public ProcessDirectory {
public:
    std::optional<RunningApp> runningApp(qint32 pid) const override;
    std::optional<RunningApp> runningAppById(const QString &appId) const override;
    qint32 responsible(qint32 pid) const override;
    std::optional<qint32> parent(qint32 pid) const override;
    QList<qint32> allPIDs() const override;
    QString processName(qint32 pid) const override;
    bool isRunning(qint32 pid) const override;
    // By the process's name.
    bool runsProgram(qint32 pid, const QString &program) const override;
    // Every change made here counts as new processes starting.
    std::optional<quint64> startTime(qint32 pid) const override;

    // A running process. `responsible` 0 means it answers for itself.
    void addProcess(qint32 pid, const QString &name, qint32 parent = 0, qint32 responsible = 0);
    // An application running in process `app.pid` (added as a process when absent).
    void addApp(const RunningApp &app);
    // The process exits, and its application with it.
    void removeProcess(qint32 pid);

private:
    struct Process {
        QString name;
        qint32 parent = 0;
        qint32 responsible = 0;
    };

    mutable QMutex m_mutex;
    QHash<qint32, Process> m_processes;
    QHash<qint32, RunningApp> m_apps;
    quint64 m_changes = 0;
};
