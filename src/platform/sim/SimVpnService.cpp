#include "SimVpnService.h"

#include <QTimer>

void SimVpnService::refresh()
{
    ++m_reads;
    QTimer::singleShot(0, this, &SimVpnService::publish);
}

void SimVpnService::connectVpn(const QString &id)
{
    m_requests.append(QStringLiteral("connect ") + id);
    settle(id, VpnConnection::Status::Connected);
}

void SimVpnService::disconnectVpn(const QString &id)
{
    m_requests.append(QStringLiteral("disconnect ") + id);
    settle(id, VpnConnection::Status::Disconnected);
}

void SimVpnService::settle(const QString &id, VpnConnection::Status status)
{
    for (VpnConnection &connection : m_service) {
        if (connection.id == id)
            connection.status = status;
    }
    // Read back after the switch, as the real sources do.
    refresh();
}

void SimVpnService::setService(const QList<VpnConnection> &connections, bool reachable)
{
    m_service = connections;
    m_reachable = reachable;
    if (m_watched)
        QTimer::singleShot(0, this, &SimVpnService::publish);
}

void SimVpnService::publish()
{
    const QList<VpnConnection> connections = m_reachable ? m_service : QList<VpnConnection>();
    if (m_available != m_reachable) {
        m_available = m_reachable;
        Q_EMIT availabilityChanged();
    }
    if (m_connections != connections) {
        m_connections = connections;
        Q_EMIT connectionsChanged();
    }
}
