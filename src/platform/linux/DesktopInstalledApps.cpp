#include "DesktopInstalledApps.h"

#include "Log.h"

#include <QProcess>

DesktopInstalledApps::DesktopInstalledApps(QStringList applicationFolders)
    : m_entries(std::move(applicationFolders))
{}

std::optional<InstalledApp> DesktopInstalledApps::find(const QString &appId) const
{
    const std::optional<DesktopEntry> entry = m_entries.byId(appId);
    if (!entry)
        return std::nullopt;
    return InstalledApp{entry->id, entry->name, entry->icon, entry->location, entry->launch, entry->hubDoor};
}

bool DesktopInstalledApps::launch(const InstalledApp &app) const
{
    // Started as the entry says, like any launcher, never through a shell.
    if (app.launch.isEmpty() || !QProcess::startDetached(app.launch.first(), app.launch.mid(1))) {
        qCWarning(lcProcess).noquote().nospace()
            << "the application " << app.appId << " could not be started";
        return false;
    }
    return true;
}
