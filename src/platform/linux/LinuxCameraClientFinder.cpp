#include "LinuxCameraClientFinder.h"

#include "Log.h"
#include "PipeWireGraph.h"
#include "ProcFs.h"

#include <algorithm>

namespace {

constexpr int pwDumpTimeoutMs = 3000;

} // namespace

LinuxCameraClientFinder::LinuxCameraClientFinder(CameraNodeScan scan, QString pwDumpProgram)
    : m_scan(std::move(scan))
    , m_pwDump(std::move(pwDumpProgram))
{}

QList<ClientClaim> LinuxCameraClientFinder::clients(std::stop_token stop) const
{
    // A holder seen in /proc is vouched for by the kernel.
    QList<ClientClaim> found;
    QStringList daemonNodes;
    QList<ClientClaim> daemons;
    for (const CameraHolder &holder : m_scan.holders(m_scan.nodes(), 0)) {
        const ClientClaim claim{holder.pid, holder.pid, {}, {}, {}};
        if (ProcFs::command(holder.pid, m_scan.procRoot()) == QLatin1String("pipewire")) {
            daemonNodes.append(holder.node);
            daemons.append(claim);
        } else {
            found.append(claim);
        }
    }
    if (!daemonNodes.isEmpty() && !stop.stop_requested())
        found += pipeWireConsumers(daemonNodes, daemons, stop);

    // Newest first; a process that is gone, or a client known by name only, sorts last.
    QList<std::pair<quint64, ClientClaim>> byAge;
    for (const ClientClaim &claim : std::as_const(found)) {
        if (std::none_of(byAge.begin(), byAge.end(), [&](const auto &p) { return p.second == claim; }))
            byAge.append({ProcFs::startTime(claim.hostPid > 0 ? claim.hostPid : claim.pid, m_scan.procRoot())
                              .value_or(0),
                          claim});
    }
    std::stable_sort(byAge.begin(), byAge.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<ClientClaim> ordered;
    for (const auto &entry : std::as_const(byAge))
        ordered.append(entry.second);
    return ordered;
}

QList<ClientClaim> LinuxCameraClientFinder::pipeWireConsumers(const QStringList &nodes,
                                                              const QList<ClientClaim> &daemons,
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
    QList<ClientClaim> consumers;
    for (const QString &node : nodes)
        consumers += graph.cameraConsumers(node);
    return consumers;
}
