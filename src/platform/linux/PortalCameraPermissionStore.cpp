#include "PortalCameraPermissionStore.h"

#include "Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDir>
#include <QStandardPaths>

namespace {

const QString service = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString path = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
const QString table = QStringLiteral("devices");
const QString entry = QStringLiteral("camera");
const QString notFound = QStringLiteral("org.freedesktop.portal.Error.NotFound");

} // namespace

PortalCameraPermissionStore::PortalCameraPermissionStore(QDBusConnection bus, QStringList flatpakAppFolders,
                                                         QStringList desktopFolders)
    : m_bus(std::move(bus))
    , m_flatpakAppFolders(std::move(flatpakAppFolders))
    , m_desktopEntries(std::move(desktopFolders))
{}

QStringList PortalCameraPermissionStore::defaultFlatpakAppFolders()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/flatpak/app"),
            QStringLiteral("/var/lib/flatpak/app")};
}

QDBusMessage PortalCameraPermissionStore::call(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, callTimeoutMs);
}

bool PortalCameraPermissionStore::isAvailable() const
{
    if (!m_bus.isConnected())
        return false;
    // Starts the store when the bus can activate it.
    QDBusMessage ping = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    return m_bus.call(ping, QDBus::Block, callTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

std::optional<QMap<QString, QStringList>> PortalCameraPermissionStore::decisions() const
{
    const QDBusMessage reply = call(QStringLiteral("Lookup"), {table, entry});
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (reply.errorName() == notFound)
            return QMap<QString, QStringList>();
        qCWarning(lcPermissions).noquote().nospace()
            << "camera permissions cannot be read: " << reply.errorMessage();
        return std::nullopt;
    }
    QMap<QString, QStringList> byApp;
    if (!reply.arguments().isEmpty())
        reply.arguments().constFirst().value<QDBusArgument>() >> byApp;
    return byApp;
}

QStringList PortalCameraPermissionStore::installedFlatpakApps() const
{
    QStringList ids;
    for (const QString &folder : m_flatpakAppFolders) {
        for (const QString &id : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            // Installed apps have a current deployment.
            if (QFileInfo::exists(folder + QLatin1Char('/') + id + QStringLiteral("/current")))
                ids.append(id);
        }
    }
    return ids;
}

QList<CameraApp> PortalCameraPermissionStore::apps() const
{
    QStringList ids = installedFlatpakApps();
    if (const std::optional<QMap<QString, QStringList>> byApp = decisions())
        ids += byApp->keys();
    QList<CameraApp> apps;
    for (const QString &id : ids) {
        if (id.isEmpty())
            continue; // unsandboxed apps of older portals share the empty id
        const std::optional<DesktopEntry> desktop = m_desktopEntries.byId(id);
        apps.append({id, desktop && !desktop->name.isEmpty() ? desktop->name : id,
                     desktop ? desktop->icon : QString()});
    }
    return apps;
}

bool PortalCameraPermissionStore::revoke(const QString &appId)
{
    const std::optional<QMap<QString, QStringList>> byApp = decisions();
    if (!byApp)
        return false;
    if (!byApp->contains(appId))
        return true; // nothing to take away: it asks anyway
    const QDBusMessage denied = call(QStringLiteral("SetPermission"),
                                     {table, false, entry, appId, QStringList{QStringLiteral("no")}});
    const QDBusMessage deleted = call(QStringLiteral("DeletePermission"), {table, entry, appId});
    if (deleted.type() == QDBusMessage::ErrorMessage) {
        qCWarning(lcPermissions).noquote().nospace()
            << "camera permission of " << appId << " not deleted: " << deleted.errorMessage()
            << (denied.type() == QDBusMessage::ErrorMessage ? QString()
                                                            : QStringLiteral(" (it is set to no)"));
        return false;
    }
    return true;
}
