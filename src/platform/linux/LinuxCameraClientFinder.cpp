#include "LinuxCameraClientFinder.h"

#include "Log.h"
#include "PipeWireGraph.h"
#include "ProcFs.h"
#include "ProcessDirectory.h"

#include <algorithm>

namespace {

constexpr int pwDumpTimeoutMs = 3000;

} // namespace

LinuxCameraClientFinder::LinuxCameraClientFinder(CameraNodeScan scan, const ProcessDirectory &processes,
                                                 QString pwDumpProgram)
    : m_scan(std::move(scan))
    , m_processes(processes)
    , m_pwDump(std::move(pwDumpProgram))
{}

QList<qint32> LinuxCameraClientFinder::clients(std::stop_token stop) const
{
    QList<qint32> pids;
    QStringList daemonNodes;
    QList<qint32> daemons;
    for (const CameraHolder &holder : m_scan.holders(m_scan.nodes(), 0)) {
        if (ProcFs::command(holder.pid, m_scan.procRoot()) == QLatin1String("pipewire")) {
            daemonNodes.append(holder.node);
            daemons.append(holder.pid);
        } else {
            pids.append(holder.pid);
        }
    }
    if (!daemonNodes.isEmpty() && !stop.stop_requested())
        pids += pipeWireConsumers(daemonNodes, daemons, stop);

    // Newest first; a process that is gone sorts last, the caller drops it.
    QList<std::pair<quint64, qint32>> byAge;
    for (const qint32 pid : std::as_const(pids)) {
        if (std::none_of(byAge.begin(), byAge.end(), [&](const auto &p) { return p.second == pid; }))
            byAge.append({ProcFs::startTime(pid, m_scan.procRoot()).value_or(0), pid});
    }
    std::stable_sort(byAge.begin(), byAge.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<qint32> ordered;
    for (const auto &entry : std::as_const(byAge))
        ordered.append(entry.second);
    return ordered;
}

QList<qint32> LinuxCameraClientFinder::pipeWireConsumers(const QStringList &nodes,
                                                         const QList<qint32> &daemons,
                                                         std::stop_token stop) const
{
    const std::optional<QByteArray> dump = PipeWireGraph::dump(m_pwDump, pwDumpTimeoutMs, stop);
    if (stop.stop_requested())
        return {};
    if (!dump) {
        std::call_once(m_toolMissingLogged, [this] {
            qCWarning(lcCamera).noquote().nospace()
                << m_pwDump << " cannot be run: camera users behind PipeWire are shown as PipeWire itself";
        });
        return daemons;
    }
    const PipeWireGraph graph(*dump);
    QList<qint32> pids;
    for (const QString &node : nodes) {
        for (const PipeWireClient &client : graph.cameraConsumers(node)) {
            qint32 pid = client.pid;
            if (pid == 0) {
                if (const std::optional<RunningApp> app = m_processes.runningAppById(client.appId))
                    pid = app->pid;
            }
            if (pid > 0)
                pids.append(pid);
        }
    }
    return pids;
}
