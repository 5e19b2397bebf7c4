#pragma once

#include "VpnService.h"

#include <functional>
#include <optional>

// The Mullvad VPN client, through its command-line tool (`mullvad status`,
// `connect`, `disconnect`), found on PATH. Each command runs as a child
// process with a fixed argument list, never through a shell, and never blocks
// the main thread. The tool announces nothing, so there is nothing to watch:
// the state is read when asked, after each switch, and once more shortly after
// a switch that left the tunnel changing.
class MullvadVpnService : public VpnService {
    Q_OBJECT
public:
    explicit MullvadVpnService(QString program = QStringLiteral("mullvad"), QObject *parent = nullptr);

    void refresh() override;
    void setWatched(bool) override {}
    void connectVpn(const QString &id) override;
    void disconnectVpn(const QString &id) override;

    static inline const QString id = QStringLiteral("mullvad");
    // A tool that does not answer in this time is stopped.
    static constexpr int commandTimeoutMs = 10000;
    // How long after a switch the tunnel is looked at again.
    static constexpr int settleMs = 1200;

private:
    // Runs the tool; `done` gets its standard output, or nothing when it could not be started.
    void run(const QStringList &arguments, std::function<void(std::optional<QByteArray>)> done);
    void take(std::optional<QByteArray> status);
    void command(const QString &verb, const QString &target);

    QString m_program;
    bool m_reading = false;
    bool m_readAgain = false;
    // A switch has just been asked for: a tunnel still changing is looked at once more.
    bool m_switched = false;
};
