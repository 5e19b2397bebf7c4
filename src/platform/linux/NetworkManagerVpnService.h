#pragma once

#include "VpnService.h"

#include <QDBusConnection>
#include <QHash>

#include <functional>
#include <memory>

class QDBusMessage;
class QDBusServiceWatcher;

// NetworkManager's VPN and WireGuard connections, over its D-Bus API on the
// system bus. A read lists the saved connections (keeping those of type "vpn"
// and "wireguard", in NetworkManager's order) and the active ones, whose state
// gives each connection's status. Every call is asynchronous and never starts
// NetworkManager when it is not running. While watched, the manager's and the
// active connections' change signals start a read; reads asked for while one
// runs are folded into one more.
class NetworkManagerVpnService : public VpnService {
    Q_OBJECT
public:
    explicit NetworkManagerVpnService(QDBusConnection bus, QObject *parent = nullptr);
    ~NetworkManagerVpnService() override;

    void refresh() override;
    void setWatched(bool watched) override;
    void connectVpn(const QString &id) override;
    void disconnectVpn(const QString &id) override;

    static constexpr int callTimeoutMs = 5000;

private Q_SLOTS:
    void onChangeAnnounced();
    void onManagerPropertiesChanged(const QString &interface, const QVariantMap &changed);

private:
    struct Read;

    void call(const QString &path, const QString &interface, const QString &method,
              const QVariantList &arguments, std::function<void(const QDBusMessage &)> done);
    void listed(const std::shared_ptr<Read> &read, const QDBusMessage &reply);
    void listedActive(const std::shared_ptr<Read> &read, const QDBusMessage &reply);
    void finish(const std::shared_ptr<Read> &read);
    bool subscribe(bool on);

    QDBusConnection m_bus;
    bool m_watched = false;
    bool m_readBefore = false;
    bool m_reading = false;
    bool m_readAgain = false;
    // Connection uuid → the object path of its settings, and of its activation while active.
    QHash<QString, QString> m_settingsPaths;
    QHash<QString, QString> m_activePaths;
    QDBusServiceWatcher *m_ownerWatcher = nullptr;
};
