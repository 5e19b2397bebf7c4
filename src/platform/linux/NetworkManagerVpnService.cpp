#include "NetworkManagerVpnService.h"

#include "Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString settingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString settingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString connectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString activeInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// NMActiveConnectionState
VpnConnection::Status statusOf(const QVariant &state)
{
    if (state.metaType().id() != QMetaType::UInt)
        return VpnConnection::Status::Unknown;
    switch (state.toUInt()) {
    case 1:
        return VpnConnection::Status::Connecting;
    case 2:
        return VpnConnection::Status::Connected;
    case 3:
        return VpnConnection::Status::Disconnecting;
    case 4:
        return VpnConnection::Status::Disconnected;
    default:
        return VpnConnection::Status::Unknown;
    }
}

// An answer of the given D-Bus signature, bare or in a variant; nothing when
// it has another form.
template <typename T> std::optional<T> demarshal(QVariant value, QLatin1String signature)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    if (value.metaType() == QMetaType::fromType<T>())
        return value.value<T>();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != signature)
        return std::nullopt;
    T result;
    argument >> result;
    return result;
}

std::optional<QList<QDBusObjectPath>> objectPaths(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    return demarshal<QList<QDBusObjectPath>>(reply.arguments().constFirst(), QLatin1String("ao"));
}

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage
               ? reply.errorName() + QStringLiteral(": ") + reply.errorMessage()
               : QStringLiteral("an answer of an unexpected form");
}

struct Profile {
    QString path;
    QString uuid;
    QString name;
    QString provider;
};

// A saved connection's settings, when it is a VPN or WireGuard connection.
std::optional<Profile> vpnProfile(const QString &path, const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    const QMap<QString, QVariantMap> settings =
        demarshal<QMap<QString, QVariantMap>>(reply.arguments().constFirst(), QLatin1String("a{sa{sv}}"))
            .value_or(QMap<QString, QVariantMap>());
    const QVariantMap connection = settings.value(QStringLiteral("connection"));
    const QString type = connection.value(QStringLiteral("type")).toString();
    const QString uuid = connection.value(QStringLiteral("uuid")).toString();
    const QString name = connection.value(QStringLiteral("id")).toString();
    if ((type != QLatin1String("vpn") && type != QLatin1String("wireguard")) || uuid.isEmpty())
        return std::nullopt;
    // A VPN names its plugin ("org.freedesktop.NetworkManager.openvpn").
    const QString provider =
        type == QLatin1String("vpn")
            ? settings.value(QStringLiteral("vpn")).value(QStringLiteral("service-type")).toString()
            : type;
    return Profile{path, uuid, name.isEmpty() ? uuid : name, provider};
}

} // namespace

// One read in flight: the VPN profiles in NetworkManager's order and the
// active connections, filled as the answers come in.
struct NetworkManagerVpnService::Read {
    int pending = 0;
    // Why the saved connections could not be listed; empty when they were.
    QString error;
    bool activeListed = false;
    QList<std::optional<Profile>> profiles;
    // Settings path → (active path, status)
    QHash<QString, std::pair<QString, VpnConnection::Status>> active;
};

NetworkManagerVpnService::NetworkManagerVpnService(QDBusConnection bus, QObject *parent)
    : VpnService(parent)
    , m_bus(std::move(bus))
{}

NetworkManagerVpnService::~NetworkManagerVpnService()
{
    if (m_watched)
        subscribe(false);
}

void NetworkManagerVpnService::call(const QString &path, const QString &interface, const QString &method,
                                    const QVariantList &arguments,
                                    std::function<void(const QDBusMessage &)> done)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Asking must not start NetworkManager on a machine that runs without it.
    message.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void NetworkManagerVpnService::refresh()
{
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    auto read = std::make_shared<Read>();
    read->pending = 2;
    call(settingsPath, settingsInterface, QStringLiteral("ListConnections"), {},
         [this, read](const QDBusMessage &reply) { listed(read, reply); });
    call(managerPath, propertiesInterface, QStringLiteral("Get"),
         {managerInterface, QStringLiteral("ActiveConnections")},
         [this, read](const QDBusMessage &reply) { listedActive(read, reply); });
}

void NetworkManagerVpnService::listed(const std::shared_ptr<Read> &read, const QDBusMessage &reply)
{
    const std::optional<QList<QDBusObjectPath>> paths = objectPaths(reply);
    if (!paths) {
        read->error = errorOf(reply);
    } else {
        read->profiles.resize(paths->size());
        for (int i = 0; i < paths->size(); ++i) {
            const QString path = paths->at(i).path();
            ++read->pending;
            call(path, connectionInterface, QStringLiteral("GetSettings"), {},
                 [this, read, path, i](const QDBusMessage &settings) {
                     read->profiles[i] = vpnProfile(path, settings);
                     if (--read->pending == 0)
                         finish(read);
                 });
        }
    }
    if (--read->pending == 0)
        finish(read);
}

void NetworkManagerVpnService::listedActive(const std::shared_ptr<Read> &read, const QDBusMessage &reply)
{
    const std::optional<QList<QDBusObjectPath>> paths = objectPaths(reply);
    read->activeListed = paths.has_value();
    for (const QDBusObjectPath &active : paths.value_or(QList<QDBusObjectPath>())) {
        ++read->pending;
        call(active.path(), propertiesInterface, QStringLiteral("GetAll"), {activeInterface},
             [this, read, path = active.path()](const QDBusMessage &propertiesReply) {
                 const QVariantMap properties =
                     demarshal<QVariantMap>(propertiesReply.arguments().value(0), QLatin1String("a{sv}"))
                         .value_or(QVariantMap());
                 const QVariant connection = properties.value(QStringLiteral("Connection"));
                 if (connection.metaType() == QMetaType::fromType<QDBusObjectPath>())
                     read->active.insert(connection.value<QDBusObjectPath>().path(),
                                         {path, statusOf(properties.value(QStringLiteral("State")))});
                 if (--read->pending == 0)
                     finish(read);
             });
    }
    if (--read->pending == 0)
        finish(read);
}

void NetworkManagerVpnService::finish(const std::shared_ptr<Read> &read)
{
    QList<VpnConnection> connections;
    m_settingsPaths.clear();
    m_activePaths.clear();
    for (const std::optional<Profile> &profile : std::as_const(read->profiles)) {
        if (!profile || m_settingsPaths.contains(profile->uuid))
            continue;
        m_settingsPaths.insert(profile->uuid, profile->path);
        // Without the list of active connections no status can be told.
        VpnConnection::Status status =
            read->activeListed ? VpnConnection::Status::Disconnected : VpnConnection::Status::Unknown;
        if (const auto active = read->active.constFind(profile->path); active != read->active.constEnd()) {
            m_activePaths.insert(profile->uuid, active->first);
            status = active->second;
        }
        connections.append({profile->uuid, profile->name, profile->provider, status});
    }
    m_reading = false;
    if (!read->error.isEmpty() && (isAvailable() || !m_readBefore))
        qCInfo(lcVpn) << "NetworkManager's connections cannot be read:" << read->error;
    m_readBefore = true;
    publish(connections, read->error.isEmpty());
    if (m_readAgain) {
        m_readAgain = false;
        refresh();
    }
}

void NetworkManagerVpnService::setWatched(bool watched)
{
    if (m_watched == watched)
        return;
    m_watched = watched;
    subscribe(watched);
}

bool NetworkManagerVpnService::subscribe(bool on)
{
    using Connect = bool (QDBusConnection::*)(const QString &, const QString &, const QString &,
                                              const QString &, QObject *, const char *);
    const Connect change = on ? Connect(&QDBusConnection::connect) : Connect(&QDBusConnection::disconnect);
    bool ok = (m_bus.*change)(service, managerPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
                              this, SLOT(onManagerPropertiesChanged(QString, QVariantMap)));
    for (const auto &[path, interface, name] :
         {std::tuple(managerPath, managerInterface, QStringLiteral("StateChanged")),
          std::tuple(QString(), activeInterface, QStringLiteral("StateChanged")),
          std::tuple(settingsPath, settingsInterface, QStringLiteral("NewConnection")),
          std::tuple(settingsPath, settingsInterface, QStringLiteral("ConnectionRemoved")),
          std::tuple(QString(), connectionInterface, QStringLiteral("Updated"))})
        ok = (m_bus.*change)(service, path, interface, name, this, SLOT(onChangeAnnounced())) && ok;
    if (on) {
        // NetworkManager starting or stopping while watched.
        m_ownerWatcher =
            new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_ownerWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &NetworkManagerVpnService::refresh);
    } else {
        delete m_ownerWatcher;
        m_ownerWatcher = nullptr;
    }
    // Dropping fails for what was never followed, which was said then.
    if (!ok && on)
        qCWarning(lcVpn) << "NetworkManager's change signals could not be followed";
    return ok;
}

void NetworkManagerVpnService::onChangeAnnounced()
{
    refresh();
}

void NetworkManagerVpnService::onManagerPropertiesChanged(const QString &interface,
                                                          const QVariantMap &changed)
{
    if (interface == managerInterface && changed.contains(QStringLiteral("ActiveConnections")))
        refresh();
}

void NetworkManagerVpnService::connectVpn(const QString &id)
{
    const QString path = m_settingsPaths.value(id);
    if (path.isEmpty()) {
        qCInfo(lcVpn) << "no NetworkManager connection" << id << "to start";
        return;
    }
    const QString none = QStringLiteral("/");
    call(managerPath, managerInterface, QStringLiteral("ActivateConnection"),
         {QVariant::fromValue(QDBusObjectPath(path)), QVariant::fromValue(QDBusObjectPath(none)),
          QVariant::fromValue(QDBusObjectPath(none))},
         [this, id](const QDBusMessage &reply) {
             if (reply.type() == QDBusMessage::ErrorMessage)
                 qCWarning(lcVpn) << "NetworkManager did not start VPN" << id << ":" << errorOf(reply);
             refresh();
         });
}

void NetworkManagerVpnService::disconnectVpn(const QString &id)
{
    const QString path = m_activePaths.value(id);
    if (path.isEmpty()) {
        qCInfo(lcVpn) << "NetworkManager VPN" << id << "is not active; nothing to stop";
        refresh();
        return;
    }
    call(managerPath, managerInterface, QStringLiteral("DeactivateConnection"),
         {QVariant::fromValue(QDBusObjectPath(path))}, [this, id](const QDBusMessage &reply) {
             if (reply.type() == QDBusMessage::ErrorMessage)
                 qCWarning(lcVpn) << "NetworkManager did not stop VPN" << id << ":" << errorOf(reply);
             refresh();
         });
}
