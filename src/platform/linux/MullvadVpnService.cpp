#include "MullvadVpnService.h"

#include "Log.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace {

// The tool's first line names the tunnel state. Versions before 2022 put
// "Tunnel status: " in front; an error state says "Blocked: <why>".
VpnConnection::Status parseStatus(const QByteArray &output)
{
    QString text = QString::fromUtf8(output).trimmed().toLower();
    const QString oldPrefix = QStringLiteral("tunnel status:");
    if (text.startsWith(oldPrefix))
        text = text.mid(oldPrefix.size()).trimmed();
    if (text.startsWith(QLatin1String("connected")))
        return VpnConnection::Status::Connected;
    if (text.startsWith(QLatin1String("connecting")))
        return VpnConnection::Status::Connecting;
    if (text.startsWith(QLatin1String("disconnecting")))
        return VpnConnection::Status::Disconnecting;
    if (text.startsWith(QLatin1String("disconnected")) || text.contains(QLatin1String("blocked")))
        return VpnConnection::Status::Disconnected;
    return VpnConnection::Status::Unknown;
}

} // namespace

MullvadVpnService::MullvadVpnService(QString program, QObject *parent)
    : VpnService(parent)
    , m_program(std::move(program))
{}

void MullvadVpnService::run(const QStringList &arguments, std::function<void(std::optional<QByteArray>)> done)
{
    const QString path = QStandardPaths::findExecutable(m_program);
    if (path.isEmpty()) {
        done(std::nullopt);
        return;
    }
    auto *process = new QProcess(this);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setStandardInputFile(QProcess::nullDevice());
    auto finish = [process, done = std::move(done)](std::optional<QByteArray> output) {
        process->disconnect();
        process->deleteLater();
        done(std::move(output));
    };
    connect(process, &QProcess::finished, this,
            [process, finish] { finish(process->readAllStandardOutput()); });
    connect(process, &QProcess::errorOccurred, this, [process, finish, path](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            qCWarning(lcVpn) << "the Mullvad tool" << path << "did not start:" << process->errorString();
            finish(std::nullopt);
        }
    });
    QTimer::singleShot(commandTimeoutMs, process, [process, arguments] {
        qCWarning(lcVpn) << "the Mullvad tool did not answer" << arguments.join(QLatin1Char(' '))
                         << "in time; stopped it";
        process->kill();
    });
    process->start(path, arguments);
}

void MullvadVpnService::refresh()
{
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    run({QStringLiteral("status")}, [this](std::optional<QByteArray> output) { take(std::move(output)); });
}

void MullvadVpnService::take(std::optional<QByteArray> status)
{
    m_reading = false;
    QList<VpnConnection> connections;
    if (status) {
        connections.append(
            {id, QStringLiteral("Mullvad VPN"), QStringLiteral("net.mullvad.vpn"), parseStatus(*status)});
        if (connections.constFirst().status == VpnConnection::Status::Unknown)
            qCInfo(lcVpn) << "the Mullvad tool's status is not understood:" << status->left(200);
    }
    publish(connections, status.has_value());
    if (m_readAgain) {
        m_readAgain = false;
        refresh();
    } else if (std::exchange(m_switched, false) && !connections.isEmpty() &&
               (connections.constFirst().status == VpnConnection::Status::Connecting ||
                connections.constFirst().status == VpnConnection::Status::Disconnecting)) {
        QTimer::singleShot(settleMs, this, &MullvadVpnService::refresh);
    }
}

void MullvadVpnService::command(const QString &verb, const QString &target)
{
    if (target != id)
        return;
    run({verb}, [this, verb](std::optional<QByteArray> output) {
        if (!output)
            qCWarning(lcVpn) << "Mullvad could not be asked to" << verb;
        m_switched = true;
        refresh();
    });
}

void MullvadVpnService::connectVpn(const QString &target)
{
    command(QStringLiteral("connect"), target);
}

void MullvadVpnService::disconnectVpn(const QString &target)
{
    command(QStringLiteral("disconnect"), target);
}
