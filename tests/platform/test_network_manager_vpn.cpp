// NetworkManager's VPN connections, read from python-dbusmock's NetworkManager
// template on a private bus: which connections are listed, switching them,
// following state changes while watched (and only then), and answers of the
// wrong form.
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

// A method of an object added to the mock: name, in and out signatures, Python code.
struct MockMethod {
    QString name, in, out, code;
};
Q_DECLARE_METATYPE(MockMethod)

QDBusArgument &operator<<(QDBusArgument &argument, const MockMethod &method)
{
    argument.beginStructure();
    argument << method.name << method.in << method.out << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MockMethod &method)
{
    argument.beginStructure();
    argument >> method.name >> method.in >> method.out >> method.code;
    argument.endStructure();
    return argument;
}

namespace {

const QString nm = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString mockPath = QStringLiteral("/org/freedesktop");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString activeInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString workUuid = QStringLiteral("0f3c2a5e-8a61-4c55-9d4e-1b7f0c9e2a11");
const QString homeUuid = QStringLiteral("7d1e4b0a-2c3f-4e5d-8a9b-0c1d2e3f4a5b");

} // namespace

class TestNetworkManagerVpn : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ChildProcess> m_mock;
    std::unique_ptr<NetworkManagerVpnService> m_vpn;
    int m_buses = 0;
    QString m_workPath;

    QDBusConnection connection() const { return QDBusConnection(QString::number(m_buses)); }

    QDBusMessage callNm(const QString &path, const QString &interface, const QString &method,
                        const QVariantList &arguments = {}) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(nm, path, interface, method);
        call.setArguments(arguments);
        return connection().call(call);
    }

    QString addConnection(const QString &name, const QString &uuid, const QString &type,
                          const QVariantMap &vpn = {}) const
    {
        Settings settings{
            {QStringLiteral("connection"),
             {{QStringLiteral("id"), name}, {QStringLiteral("uuid"), uuid}, {QStringLiteral("type"), type}}}};
        if (!vpn.isEmpty())
            settings.insert(QStringLiteral("vpn"), vpn);
        const QDBusMessage reply = callNm(QStringLiteral("/org/freedesktop/NetworkManager/Settings"),
                                          QStringLiteral("org.freedesktop.NetworkManager.Settings"),
                                          QStringLiteral("AddConnection"), {QVariant::fromValue(settings)});
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }

    bool startMock()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        // The system's python, which has python3-dbusmock.
        m_mock = std::make_unique<ChildProcess>(
            QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                        QStringLiteral("--template"), QStringLiteral("networkmanager")},
            environment);
        return QTest::qWaitFor([this] { return connection().interface()->isServiceRegistered(nm).value(); },
                               20000);
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
    void initTestCase()
    {
        qDBusRegisterMetaType<Settings>();
        qDBusRegisterMetaType<MockMethod>();
        qDBusRegisterMetaType<QList<MockMethod>>();
    }

    void init()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        QDBusConnection::connectToBus(m_bus->address(), QString::number(++m_buses));
        REQUIRE_SERVICE(startMock(), QStringLiteral("python3-dbusmock's NetworkManager template"));
        // Deactivating in the template goes through the devices it has.
        callNm(mockPath, mockInterface, QStringLiteral("AddEthernetDevice"),
               {QStringLiteral("eth0"), QStringLiteral("eth0"), 100});
        m_workPath = addConnection(
            QStringLiteral("Work VPN"), workUuid, QStringLiteral("vpn"),
            {{QStringLiteral("service-type"), QStringLiteral("org.freedesktop.NetworkManager.openvpn")}});
        addConnection(QStringLiteral("Wired connection 1"),
                      QStringLiteral("3b5e8f7c-0000-4000-8000-000000000001"),
                      QStringLiteral("802-3-ethernet"));
        addConnection(QStringLiteral("Home WireGuard"), homeUuid, QStringLiteral("wireguard"));
        m_vpn = std::make_unique<NetworkManagerVpnService>(connection());
    }

    void cleanup()
    {
        m_vpn.reset();
        m_mock.reset();
        m_bus.reset();
    }

    // VPN and WireGuard connections in NetworkManager's order, others left
    // out, including one whose settings come back in the wrong form.
    void listsVpnConnections()
    {
        const QString odd = QStringLiteral("/org/freedesktop/NetworkManager/Settings/99");
        const QDBusMessage added = callNm(
            mockPath, mockInterface, QStringLiteral("AddObject"),
            {odd, QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection"), QVariantMap(),
             QVariant::fromValue(QList<MockMethod>{{QStringLiteral("GetSettings"), QString(),
                                                    QStringLiteral("s"), QStringLiteral("ret = 'vpn'")}})});
        QCOMPARE(added.type(), QDBusMessage::ReplyMessage);
        const QString settings = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
        const QString settingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
        QList<QDBusObjectPath> listed = qdbus_cast<QList<QDBusObjectPath>>(
            callNm(settings, settingsInterface, QStringLiteral("ListConnections")).arguments().value(0));
        listed.insert(1, QDBusObjectPath(odd));
        const QDBusMessage set =
            callNm(settings, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                   {settingsInterface, QStringLiteral("Connections"),
                    QVariant::fromValue(QDBusVariant(QVariant::fromValue(listed)))});
        QCOMPARE(set.type(), QDBusMessage::ReplyMessage);

        read();
        QVERIFY(m_vpn->isAvailable());
        const QList<VpnConnection> expected{
            {workUuid, QStringLiteral("Work VPN"), QStringLiteral("org.freedesktop.NetworkManager.openvpn"),
             Status::Disconnected},
            {homeUuid, QStringLiteral("Home WireGuard"), QStringLiteral("wireguard"), Status::Disconnected}};
        QCOMPARE(m_vpn->connections(), expected);
    }

    void connectAndDisconnect()
    {
        m_vpn->setWatched(true);
        read();
        m_vpn->connectVpn(homeUuid);
        QTRY_COMPARE(statuses(), (QList{Status::Disconnected, Status::Connected}));
        m_vpn->disconnectVpn(homeUuid);
        QTRY_COMPARE(statuses(), (QList{Status::Disconnected, Status::Disconnected}));
    }

    // An activation's state as NetworkManager announces it, including states
    // that do not exist and a state of the wrong type.
    void followsStateChanges_data()
    {
        QTest::addColumn<QVariant>("state");
        QTest::addColumn<Status>("status");
        QTest::newRow("activated") << QVariant(2u) << Status::Connected;
        QTest::newRow("deactivating") << QVariant(3u) << Status::Disconnecting;
        QTest::newRow("deactivated") << QVariant(4u) << Status::Disconnected;
        QTest::newRow("unknown") << QVariant(0u) << Status::Unknown;
        QTest::newRow("no such state") << QVariant(77u) << Status::Unknown;
        QTest::newRow("wrong type") << QVariant(QStringLiteral("activated")) << Status::Unknown;
    }

    void followsStateChanges()
    {
        QFETCH(QVariant, state);
        QFETCH(Status, status);
        m_vpn->setWatched(true);
        read();
        const QDBusMessage added =
            callNm(mockPath, mockInterface, QStringLiteral("AddActiveConnection"),
                   {QStringList(), m_workPath, QStringLiteral("/"), QStringLiteral("vpn0"), 1u});
        const QString active = added.arguments().value(0).toString();
        QVERIFY2(!active.isEmpty(), qPrintable(added.errorMessage()));
        QTRY_COMPARE(statuses(), (QList{Status::Connecting, Status::Disconnected}));

        QSignalSpy changed(m_vpn.get(), &VpnService::connectionsChanged);
        callNm(active, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
               {activeInterface, QStringLiteral("State"), QVariant::fromValue(QDBusVariant(state))});
        callNm(active, mockInterface, QStringLiteral("EmitSignal"),
               {activeInterface, QStringLiteral("StateChanged"), QStringLiteral("uu"), QVariantList{2u, 0u}});
        QTRY_COMPARE(statuses(), (QList{status, Status::Disconnected}));
        QVERIFY(changed.size() <= 1);
    }

    // Unwatched, nothing is followed; the next read catches up.
    void unwatchedFollowsNothing()
    {
        read();
        QSignalSpy changed(m_vpn.get(), &VpnService::connectionsChanged);
        const QDBusMessage activated = callNm(managerPath, nm, QStringLiteral("ActivateConnection"),
                                              {QVariant::fromValue(QDBusObjectPath(m_workPath)),
                                               QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))),
                                               QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))});
        QCOMPARE(activated.type(), QDBusMessage::ReplyMessage);
        // Any signal the activation sent arrived before this answer.
        callNm(managerPath, QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        QCoreApplication::processEvents();
        QCOMPARE(changed.size(), 0);
        read();
        QCOMPARE(statuses(), (QList{Status::Connected, Status::Disconnected}));
    }

    // NetworkManager going away empties the list; coming back while watched
    // fills it again.
    void networkManagerGoneAndBack()
    {
        m_vpn->setWatched(true);
        read();
        QSignalSpy availability(m_vpn.get(), &VpnService::availabilityChanged);
        m_mock.reset();
        QTRY_VERIFY(!m_vpn->isAvailable());
        QVERIFY(m_vpn->connections().isEmpty());
        m_vpn->connectVpn(workUuid); // nothing to start it with: no crash, no call
        QVERIFY(startMock());
        addConnection(QStringLiteral("Home WireGuard"), homeUuid, QStringLiteral("wireguard"));
        QTRY_COMPARE(m_vpn->connections().size(), 1);
        QVERIFY(m_vpn->isAvailable());
        QCOMPARE(availability.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerVpn)
#include "test_network_manager_vpn.moc"
