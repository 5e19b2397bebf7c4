#include "SimVpnService.h"

#include <QTimer>

void SimVpnService::refresh()
{
    ++m_reads;
    QTimer::singleShot(0, this, &SimVpnService::answer);
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
        QTimer::singleShot(0, this, &SimVpnService::answer);
}

void SimVpnService::answer()
{
    publish(m_reachable ? m_service : QList<VpnConnection>(), m_reachable);
}
