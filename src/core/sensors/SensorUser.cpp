#include "SensorUser.h"

#include "AudioCaptureSource.h"
#include "ProcessDirectory.h"

namespace {

std::optional<SensorUser> fromApp(const std::optional<RunningApp> &app)
{
    if (!app || app->name.isEmpty())
        return std::nullopt;
    return SensorUser{app->pid, app->name, app->appId};
}

} // namespace

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
    return SensorUser{pid, name, QString()};
}

std::optional<SensorUser> SensorUser::resolve(const AudioCapture &capture, const ProcessDirectory &processes)
{
    if (capture.appId.isEmpty())
        return resolve(capture.pid, processes);
    if (auto user = fromApp(processes.runningAppById(capture.appId)))
        return user;
    // The app is not known as running (no window yet): its id is still a
    // truthful name, where the in-sandbox pid could name a stranger.
    return SensorUser{capture.pid, capture.appId, capture.appId};
}
