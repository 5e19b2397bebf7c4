#pragma once

#include <QList>
#include <QObject>
#include <QString>

// A VPN connection as its source reports it.
struct VpnConnection {
    Q_GADGET
public:
    enum class Status { Connected, Connecting, Disconnecting, Disconnected, Unknown };
    Q_ENUM(Status)

    QString id;       // unique within its source: NetworkManager's connection uuid, or "mullvad"
    QString name;     // the connection's own name
    QString provider; // what carries it: a NetworkManager VPN plugin, "wireguard", "net.mullvad.vpn"
    Status status = Status::Unknown;
    friend bool operator==(const VpnConnection &, const VpnConnection &) = default;
};

// One source of VPN connections, living on the main thread. Every read and
// switch is asynchronous: refresh() starts a read, connectionsChanged() tells
// when what it read differs from before. A source does nothing by itself
// unless it is watched, and then only answers its service's own signals.
class VpnService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The source answered its last read (the service is there, the tool is
    // installed). False until the first read has finished.
    bool isAvailable() const { return m_available; }
    // The connections as last read, in the source's own order.
    QList<VpnConnection> connections() const { return m_connections; }
    virtual void refresh() = 0;
    // While watched, the source follows the changes its service announces.
    virtual void setWatched(bool watched) = 0;
    // Switching is learned back through connectionsChanged(), never assumed.
    virtual void connectVpn(const QString &id) = 0;
    virtual void disconnectVpn(const QString &id) = 0;

Q_SIGNALS:
    void connectionsChanged();
    void availabilityChanged();

protected:
    // Keeps what a read found and signals what differs from before.
    void publish(const QList<VpnConnection> &connections, bool available)
    {
        const bool availabilityChanges = m_available != available;
        m_available = available;
        if (m_connections != connections) {
            m_connections = connections;
            Q_EMIT connectionsChanged();
        }
        if (availabilityChanges)
            Q_EMIT availabilityChanged();
    }

private:
    QList<VpnConnection> m_connections;
    bool m_available = false;
};
