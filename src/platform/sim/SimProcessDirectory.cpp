#include "SimProcessDirectory.h"

#include <QMutexLocker>

#include <algorithm>

std::optional<RunningApp> SimProcessDirectory::runningApp(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_apps.constFind(pid);
    return it == m_apps.constEnd() ? std::nullopt : std::optional<RunningApp>(*it);
}

std::optional<RunningApp> SimProcessDirectory::runningAppById(const QString &appId) const
{
    QMutexLocker lock(&m_mutex);
    for (const RunningApp &app : m_apps) {
        if (!appId.isEmpty() && app.appId == appId)
            return app;
    }
    return std::nullopt;
}

qint32 SimProcessDirectory::responsible(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    const qint32 r = m_processes.value(pid).responsible;
    return r > 0 ? r : pid;
}

std::optional<qint32> SimProcessDirectory::parent(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_processes.constFind(pid);
    if (it == m_processes.constEnd() || it->parent < 1)
        return std::nullopt;
    return it->parent;
}

QList<qint32> SimProcessDirectory::allPIDs() const
{
    QMutexLocker lock(&m_mutex);
    QList<qint32> pids = m_processes.keys();
    std::sort(pids.begin(), pids.end());
    return pids;
}

QString SimProcessDirectory::processName(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    return m_processes.value(pid).name;
}

std::optional<quint64> SimProcessDirectory::startTime(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    return m_processes.contains(pid) ? std::optional(m_changes) : std::nullopt;
}

bool SimProcessDirectory::isRunning(qint32 pid) const
{
    QMutexLocker lock(&m_mutex);
    return m_processes.contains(pid);
}

bool SimProcessDirectory::runsProgram(qint32 pid, const QString &program) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_processes.constFind(pid);
    return it != m_processes.constEnd() && !program.isEmpty() &&
           it->name == program.section(QLatin1Char('/'), -1);
}

void SimProcessDirectory::addProcess(qint32 pid, const QString &name, qint32 parent, qint32 responsible)
{
    QMutexLocker lock(&m_mutex);
    m_processes.insert(pid, Process{name, parent, responsible});
    ++m_changes;
}

void SimProcessDirectory::addApp(const RunningApp &app)
{
    QMutexLocker lock(&m_mutex);
    if (!m_processes.contains(app.pid))
        m_processes.insert(app.pid, Process{app.name, 0, 0});
    m_apps.insert(app.pid, app);
    ++m_changes;
}

void SimProcessDirectory::removeProcess(qint32 pid)
{
    QMutexLocker lock(&m_mutex);
    m_processes.remove(pid);
    m_apps.remove(pid);
    ++m_changes;
}
