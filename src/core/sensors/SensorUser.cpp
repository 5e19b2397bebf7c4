#include "SensorUser.h"

#include "ClientClaim.h"
#include "ProcessDirectory.h"
#include "Text.h"

namespace {

std::optional<SensorUser> fromApp(const std::optional<RunningApp> &app)
{
    if (!app || cleanName(app->name).isEmpty())
        return std::nullopt;
    return SensorUser{app->pid, cleanName(app->name), app->appId, app->icon};
}

} // namespace

QString SensorUser::identity() const
{
    return pid > 0 ? QString::number(pid) : QLatin1Char('?') + name;
}

std::optional<SensorUser> SensorUser::resolve(qint32 pid, const ProcessDirectory &processes)
{
    if (pid < 1)
        return std::nullopt;
    const qint32 responsible = processes.responsible(pid);
    const std::optional<RunningApp> own = processes.runningApp(pid);
    // A background-only helper is shown as the application it works for,
    // unless nobody else is responsible for it.
    if (own && (!own->backgroundOnly || responsible == pid)) {
        if (auto user = fromApp(own))
            return user;
    }
    if (auto user = fromApp(processes.runningApp(responsible)))
        return user;
    const QString name = processes.processName(pid);
    if (name.isEmpty())
        return std::nullopt;
    return SensorUser{pid, shownName({name}), QString()};
}

SensorUser SensorUser::resolve(const ClientClaim &claim, const ProcessDirectory &processes)
{
    if (!claim.appId.isEmpty()) {
        if (auto user = fromApp(processes.runningAppById(claim.appId)))
            return *user;
        // The app is not known as running (no window yet): its id is still a
        // truthful name, where the in-sandbox pid could name a stranger.
        return claimed(claim);
    }
    // A sandboxed client claims its in-sandbox pid, which out here is some
    // other process, and any client can claim any pid: a claim counts only
    // when that process runs the program the client says it runs.
    const qint32 pid = claim.hostPid > 0                                ? claim.hostPid
                       : processes.runsProgram(claim.pid, claim.binary) ? claim.pid
                                                                        : 0;
    if (auto user = resolve(pid, processes))
        return *user;
    return claimed(claim);
}

SensorUser SensorUser::claimed(const ClientClaim &claim)
{
    if (!claim.appId.isEmpty())
        return SensorUser{0, shownName({claim.appId}), claim.appId};
    return SensorUser{0, shownName({claim.clientName, claim.binary.section(QLatin1Char('/'), -1)}),
                      QString()};
}
