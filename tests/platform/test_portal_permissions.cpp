// Camera permissions in the desktop portal's permission store, on a private
// session bus with the real store: what is listed, what the switch takes
// away, and what it leaves alone.
#include "AccessRevoker.h"
#include "ChildProcess.h"
#include "DefaultsStore.h"
#include "PortalCameraPermissionStore.h"
#include "PrivacySwitch.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"
#include "SensorWatcher.h"
#include "Settings.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using Decisions = QMap<QString, QStringList>;

namespace {

const QString oddId = "org.example.It's \"odd\"\nid";

} // namespace

class TestPortalPermissions : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    QTemporaryDir m_dir;
    int m_buses = 0;

    QDBusConnection connection() const { return QDBusConnection(QString::number(m_buses)); }
    QDBusMessage callStore(const QString &method, const QVariantList &arguments) const
    {
        const QString store = "org.freedesktop.impl.portal.PermissionStore";
        QDBusMessage call = QDBusMessage::createMethodCall(
            store, "/org/freedesktop/impl/portal/PermissionStore", store, method);
        call.setArguments(arguments);
        return connection().call(call);
    }
    Decisions entries() const
    {
        const QDBusMessage reply = callStore("Lookup", {"devices", "camera"});
        Decisions decisions;
        if (reply.type() == QDBusMessage::ErrorMessage)
            qWarning() << "the permission store did not answer:" << reply.errorName() << reply.errorMessage();
        else if (!reply.arguments().isEmpty())
            reply.arguments().constFirst().value<QDBusArgument>() >> decisions;
        return decisions;
    }
    std::shared_ptr<PortalCameraPermissionStore> store()
    {
        return std::make_shared<PortalCameraPermissionStore>(connection(),
                                                             QStringList{m_dir.filePath("flatpak/app")},
                                                             QStringList{m_dir.filePath("applications")});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir(m_dir.path()).mkpath("flatpak/app/org.example.Flat/current");
        QDir(m_dir.path()).mkpath("flatpak/app/org.example.Removed"); // no deployment left
        QDir(m_dir.path()).mkpath("applications");
        QFile desktop(m_dir.filePath("applications/org.example.One.desktop"));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Example One\nExec=one\nIcon=example-one\n");
    }

    void init()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        REQUIRE_SERVICE(QFile::exists("/usr/libexec/xdg-permission-store"), "xdg-permission-store");
        QDBusConnection::connectToBus(m_bus->address(), QString::number(++m_buses));
        const Decisions decisions{{"org.example.One", {"yes"}},
                                  {"org.example.Two", {"ask"}},
                                  {"org.example.Trusted", {"yes"}},
                                  {oddId, {"no"}}};
        for (auto it = decisions.cbegin(); it != decisions.cend(); ++it)
            callStore(QStringLiteral("SetPermission"),
                      {QStringLiteral("devices"), true, QStringLiteral("camera"), it.key(), it.value()});
        QCOMPARE(entries(), decisions);
    }
    void cleanup()
    {
        QDBusConnection::disconnectFromBus(QString::number(m_buses));
        m_bus.reset();
    }

    void appsAreListedByName()
    {
        const std::shared_ptr<PortalCameraPermissionStore> portal = store();
        QVERIFY(portal->isAvailable());
        const QList<CameraApp> apps = AccessRevoker::apps(*portal);
        QStringList ids;
        for (const CameraApp &app : apps)
            ids.append(app.appId);
        QCOMPARE(ids,
                 QStringList({QStringLiteral("org.example.One"), QStringLiteral("org.example.Flat"), oddId,
                              QStringLiteral("org.example.Trusted"), QStringLiteral("org.example.Two")}));
        QCOMPARE(apps.first().name, QStringLiteral("Example One"));
        QCOMPARE(apps.first().icon, QStringLiteral("example-one"));
        QCOMPARE(apps.last().icon, QString()); // no desktop entry
        // The odd id survived the bus both ways and is taken away as it is.
        QCOMPARE(AccessRevoker::revoke(*portal, {QString(), oddId, QStringLiteral("org.example.Flat")}), 2);
        QVERIFY(!entries().contains(oddId));
    }

    // Which apps a build keeps is the core test's; here that the real store ends up so.
    void switchingTheCameraOffLeavesOnlyTrustedApps()
    {
        DefaultsStore defaults;
        Settings settings(defaults);
        settings.allowList.set({"org.example.Trusted"});
        PrivacyServices services;
        services.cameraPermissions = store();
        PrivacySwitch privacy(settings, AppInfo{"dev.orvane.Tarnwick", "1", {}, false, false},
                              std::move(services));
        privacy.setCameraOff(true);
        QVERIFY(privacy.cameraOff());
        const Decisions trusted{{"org.example.Trusted", {"yes"}}};
        QTRY_COMPARE_WITH_TIMEOUT(entries(), trusted, 10000);
    }

    // A store that answers but refuses (a confined caller, a broken store):
    // nothing counts as taken away.
    void refusalsAreNoSuccess_data()
    {
        QTest::addColumn<QString>("method");
        QTest::newRow("reading the decisions") << "Lookup";
        QTest::newRow("deleting one") << "DeletePermission";
    }
    void refusalsAreNoSuccess()
    {
        QFETCH(QString, method);
        PrivateSessionBus bus;
        QVERIFY(bus.start().isEmpty());
        const QString service = "org.freedesktop.impl.portal.PermissionStore";
        const QString path = "/org/freedesktop/impl/portal/PermissionStore";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        const ChildProcess mock("/usr/bin/python3", {"-m", "dbusmock", "--session", service, path, service},
                                env);
        // One connection per bus: a name reused would reach the bus of the row before.
        const QString connectionName = QStringLiteral("mocked-") + method;
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), connectionName);
        // Python takes its time to start on a busy machine.
        REQUIRE_SERVICE(
            QTest::qWaitFor([&] { return connection.interface()->isServiceRegistered(service).value(); },
                            30000),
            "python3-dbusmock");

        const auto addMethod = [&](const QString &name, const QString &in, const QString &out,
                                   const QString &code) {
            QDBusMessage add =
                QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Mock", "AddMethod");
            add.setArguments({service, name, in, out, code});
            QCOMPARE(connection.call(add).type(), QDBusMessage::ReplyMessage);
        };
        const QString refuse = QStringLiteral(
            "raise dbus.exceptions.DBusException('no', name='org.freedesktop.DBus.Error.AccessDenied')");
        addMethod("Lookup", "ss", "a{sas}v",
                  method == QLatin1String("Lookup")
                      ? refuse
                      : QStringLiteral(
                            "ret = ({'org.example.One': ['yes']}, dbus.Boolean(True, variant_level=1))"));
        addMethod("SetPermission", "sbssas", QString(), "pass");
        addMethod("DeletePermission", "sss", QString(), refuse);

        PortalCameraPermissionStore portal(connection, {}, {});
        QVERIFY(portal.isAvailable());
        QCOMPARE(AccessRevoker::revoke(portal, {QStringLiteral("org.example.One")}), 0);
        QDBusConnection::disconnectFromBus(connectionName);
    }

    void aStoreThatCannotBeReached()
    {
        const PortalCameraPermissionStore portal(
            QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "nowhere"), {}, {});
        QVERIFY(!portal.isAvailable());
        QVERIFY(portal.apps().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortalPermissions)
#include "test_portal_permissions.moc"
