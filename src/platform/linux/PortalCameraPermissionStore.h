#pragma once

#include "CameraPermissionStore.h"
#include "DesktopEntryIndex.h"

#include <QDBusConnection>
#include <QMap>
#include <QStringList>

#include <optional>

class QDBusMessage;

// Camera permissions in the desktop portal's permission store (table
// "devices", entry "camera", one decision per app id), over D-Bus. Taking a
// decision away first sets it to "no", which ends camera sessions the portal
// granted, then deletes it, so the app must ask again.
//
// Apps that can ask are those with a decision in the store and every
// installed Flatpak app, named by their desktop entries.
class PortalCameraPermissionStore : public CameraPermissionStore {
public:
    // `flatpakAppFolders`: the "app" folders of the Flatpak installations;
    // `desktopFolders`: where the apps' desktop entries are, for their names.
    PortalCameraPermissionStore(QDBusConnection bus, QStringList flatpakAppFolders,
                                QStringList desktopFolders);

    // The user's and the system's Flatpak installations.
    static QStringList defaultFlatpakAppFolders();

    bool isAvailable() const override;
    QList<CameraApp> apps() const override;
    bool revoke(const QString &appId) override;

    static constexpr int callTimeoutMs = 5000;

private:
    QDBusMessage call(const QString &method, const QVariantList &arguments) const;
    // App id → decision; empty when there is no camera entry at all, nothing
    // when the store could not be asked.
    std::optional<QMap<QString, QStringList>> decisions() const;
    QStringList installedFlatpakApps() const;

    QDBusConnection m_bus;
    QStringList m_flatpakAppFolders;
    DesktopEntryIndex m_desktopEntries;
};
