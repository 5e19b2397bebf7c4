#include "LinuxAppProcesses.h"

#include "PidfdApp.h"
#include "ProcFs.h"
#include "ProcessTree.h"

#include <QSet>

namespace {

struct Group {
    ListedApp app;
    QList<qint32> pids; // main processes first, then other window owners
    QList<quint64> startTimes;
};

void addPid(Group &group, qint32 pid, const QString &procRoot)
{
    if (group.pids.contains(pid))
        return;
    if (const std::optional<quint64> start = ProcFs::startTime(pid, procRoot)) {
        group.pids.append(pid);
        group.startTimes.append(*start);
    }
}

} // namespace

LinuxAppProcesses::LinuxAppProcesses(std::shared_ptr<const LinuxProcessDirectory> directory, QString procRoot)
    : m_directory(std::move(directory))
    , m_procRoot(std::move(procRoot))
{}

QList<ListedApp> LinuxAppProcesses::apps(const QList<WindowOwner> &owners, bool measure) const
{
    QList<Group> groups;
    LinuxProcessDirectory::EntryMemo memo;
    for (const WindowOwner &owner : owners) {
        const qint32 main = m_directory->responsible(owner.pid, memo);
        const std::optional<RunningApp> found = m_directory->windowApp(main, owner.windowClass, memo);
        if (!found)
            continue; // gone since its window was seen
        const auto same = std::find_if(groups.begin(), groups.end(), [&](const Group &group) {
            return group.pids.contains(main) || (!found->appId.isEmpty() && group.app.appId == found->appId);
        });
        const bool isNew = same == groups.end();
        Group &group = isNew ? groups.emplace_back() : *same;
        if (isNew) {
            group.app.pid = main;
            group.app.name = found->name;
            group.app.appId = found->appId;
            group.app.categories = found->categories;
            group.app.icon = found->icon;
        }
        addPid(group, main, m_procRoot);
        addPid(group, owner.pid, m_procRoot);
    }

    const std::optional<ProcessTree> tree = measure ? std::optional<ProcessTree>(m_procRoot) : std::nullopt;
    QSet<qint32> counted;
    QList<ListedApp> apps;
    for (Group &group : groups) {
        auto pin = std::make_shared<PidfdApp>(group.pids, group.startTimes, m_procRoot);
        if (pin->isEmpty())
            continue;
        group.app.pin = pin;
        group.app.pid = pin->pids().constFirst();
        if (tree) {
            QList<qint32> members;
            for (const qint32 pid : group.pids) {
                members << pid << tree->descendants(pid);
                for (const qint32 unitMember : m_directory->appUnitMembers(pid))
                    members << unitMember << tree->descendants(unitMember);
            }
            for (const qint32 pid : std::as_const(members)) {
                if (!counted.contains(pid)) {
                    counted.insert(pid);
                    group.app.memory += ProcFs::footprintBytes(pid, m_procRoot).value_or(0);
                }
            }
        }
        apps.append(group.app);
    }
    return apps;
}
