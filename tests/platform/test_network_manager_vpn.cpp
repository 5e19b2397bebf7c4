// NetworkManager's VPN connections against python-dbusmock's NetworkManager
// template on a private bus: what is listed, switching, state changes followed
// while watched and only then, answers of the wrong form, NetworkManager gone.
#include "ChildProcess.h"
#include "NetworkManagerVpnService.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using Status = VpnConnection::Status;
using Settings = QMap<QString, QVariantMap>;

namespace {

const QString nm = "org.freedesktop.NetworkManager";
const QString mockPath = "/org/freedesktop";
const QString mockInterface = "org.freedesktop.DBus.Mock";
const QString workUuid = "0f3c2a5e-8a61-4c55-9d4e-1b7f0c9e2a11";
const QString homeUuid = "7d1e4b0a-2c3f-4e5d-8a9b-0c1d2e3f4a5b";

} // namespace

class TestNetworkManagerVpn : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ChildProcess> m_mock;
    std::unique_ptr<NetworkManagerVpnService> m_vpn;
    int m_buses = 0;
    QString m_workPath;

    QDBusMessage callNm(const QString &path, const QString &interface, const QString &method,
                        const QVariantList &arguments = {}) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(nm, path, interface, method);
        call.setArguments(arguments);
        return QDBusConnection(QString::number(m_buses)).call(call);
    }
    QString addConnection(const QString &name, const QString &uuid, const QString &type,
                          const QVariantMap &vpn = {}) const
    {
        Settings settings{{"connection", {{"id", name}, {"uuid", uuid}, {"type", type}}}};
        if (!vpn.isEmpty())
            settings.insert("vpn", vpn);
        const QDBusMessage added =
            callNm("/org/freedesktop/NetworkManager/Settings", "org.freedesktop.NetworkManager.Settings",
                   "AddConnection", {QVariant::fromValue(settings)});
        return added.arguments().value(0).value<QDBusObjectPath>().path();
    }
    void read()
    {
        QSignalSpy changed(m_vpn.get(), &VpnService::connectionsChanged);
        m_vpn->refresh();
        QVERIFY(changed.wait());
    }
    QList<Status> statuses() const
    {
        QList<Status> statuses;
        for (const VpnConnection &connection : m_vpn->connections())
            statuses << connection.status;
        return statuses;
    }

private Q_SLOTS:
    void initTestCase() { qDBusRegisterMetaType<Settings>(); }

    void init()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        QDBusConnection bus = QDBusConnection::connectToBus(m_bus->address(), QString::number(++m_buses));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_bus->address());
        m_mock = std::make_unique<ChildProcess>(
            "/usr/bin/python3", QStringList{"-m", "dbusmock", "--session", "--template", "networkmanager"},
            environment);
        REQUIRE_SERVICE(
            QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered(nm).value(); }, 20000),
            "python3-dbusmock's NetworkManager template");
        // The template deactivates through the devices it has.
        callNm(mockPath, mockInterface, "AddEthernetDevice", {"eth0", "eth0", 100});
        m_workPath = addConnection("Work VPN", workUuid, "vpn",
                                   {{"service-type", "org.freedesktop.NetworkManager.openvpn"}});
        addConnection("Wired", "3b5e8f7c-0000-4000-8000-000000000001", "802-3-ethernet");
        addConnection("Home WireGuard", homeUuid, "wireguard");
        m_vpn = std::make_unique<NetworkManagerVpnService>(bus);
    }

    void listsSwitchesAndGoes()
    {
        m_vpn->setWatched(true);
        read();
        QVERIFY(m_vpn->isAvailable());
        const QList<VpnConnection> expected{
            {workUuid, "Work VPN", "org.freedesktop.NetworkManager.openvpn", Status::Disconnected},
            {homeUuid, "Home WireGuard", "wireguard", Status::Disconnected}};
        QCOMPARE(m_vpn->connections(), expected);
        m_vpn->connectVpn(homeUuid);
        QTRY_COMPARE(statuses(), (QList{Status::Disconnected, Status::Connected}));
        m_vpn->disconnectVpn(homeUuid);
        QTRY_COMPARE(statuses(), (QList{Status::Disconnected, Status::Disconnected}));

        // After a watch ends nothing is followed; the next read catches up. Then NetworkManager goes away.
        m_vpn->setWatched(false);
        QSignalSpy changed(m_vpn.get(), &VpnService::connectionsChanged);
        const QVariant none = QVariant::fromValue(QDBusObjectPath("/"));
        callNm("/org/freedesktop/NetworkManager", nm, "ActivateConnection",
               {QVariant::fromValue(QDBusObjectPath(m_workPath)), none, none});
        // Signals the activation sent arrive before this answer.
        callNm(mockPath, "org.freedesktop.DBus.Peer", "Ping");
        QCoreApplication::processEvents();
        QCOMPARE(changed.size(), 0);
        read();
        QCOMPARE(statuses(), (QList{Status::Connected, Status::Disconnected}));

        m_mock.reset();
        read();
        QVERIFY(!m_vpn->isAvailable());
        QVERIFY(m_vpn->connections().isEmpty());
        m_vpn->connectVpn(workUuid); // nothing to start it with
    }

    // An activation's state as announced, including states that do not exist
    // and one of the wrong type; each differs from the one before.
    void followsStateChanges()
    {
        m_vpn->setWatched(true);
        read();
        const QDBusMessage added = callNm(mockPath, mockInterface, "AddActiveConnection",
                                          {QStringList(), m_workPath, "/", "vpn0", 1u});
        const QString active = added.arguments().value(0).toString();
        QTRY_COMPARE(statuses(), (QList{Status::Connecting, Status::Disconnected}));
        const QString activeInterface = "org.freedesktop.NetworkManager.Connection.Active";
        const QList<std::pair<QVariant, Status>> states{{3u, Status::Disconnecting},
                                                        {77u, Status::Unknown},
                                                        {4u, Status::Disconnected},
                                                        {QStringLiteral("activated"), Status::Unknown}};
        for (const auto &[state, status] : states) {
            callNm(active, "org.freedesktop.DBus.Properties", "Set",
                   {activeInterface, "State", QVariant::fromValue(QDBusVariant(state))});
            callNm(active, mockInterface, "EmitSignal",
                   {activeInterface, "StateChanged", "uu", QVariantList{2u, 0u}});
            QTRY_COMPARE(statuses(), (QList{status, Status::Disconnected}));
        }
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerVpn)
#include "test_network_manager_vpn.moc"
