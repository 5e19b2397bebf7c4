#pragma once

#include "VpnService.h"

#include <QStringList>

// A VPN source in memory. What the "service" holds is set by the test; it
// reaches connections() on the next read, or at once while watched, as a
// service's change signal would bring it. Reads answer on the next turn of
// the event loop, like real ones. A switch succeeds at once and is read back.
class SimVpnService : public VpnService {
    Q_OBJECT
public:
    using VpnService::VpnService;

    void refresh() override;
    void setWatched(bool watched) override { m_watched = watched; }
    void connectVpn(const QString &id) override;
    void disconnectVpn(const QString &id) override;

    // What the service holds now; nothing when it cannot be reached.
    void setService(const QList<VpnConnection> &connections, bool reachable = true);
    bool isWatched() const { return m_watched; }
    int reads() const { return m_reads; }
    // "connect <id>" and "disconnect <id>", in the order they were asked.
    QStringList requests() const { return m_requests; }

private:
    void answer();
    void settle(const QString &id, VpnConnection::Status status);

    QList<VpnConnection> m_service;
    bool m_reachable = true;
    bool m_watched = false;
    int m_reads = 0;
    QStringList m_requests;
};
