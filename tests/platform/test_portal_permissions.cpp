// Camera permissions in the desktop portal's permission store, on a private session bus with the real store:
// what is listed, and that exactly what is asked is taken away.
#include "AccessRevoker.h"
#include "ChildProcess.h"
#include "PortalCameraPermissionStore.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"

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
const QString service = "org.freedesktop.impl.portal.PermissionStore";
const QString path = "/org/freedesktop/impl/portal/PermissionStore";

QDBusMessage callOn(const QDBusConnection &connection, const QString &interface, const QString &method,
                    const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return connection.call(call);
}

} // namespace

class TestPortalPermissions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appsAreListedByName()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("flatpak/app/org.example.Flat/current");
        QDir(dir.path()).mkpath("flatpak/app/org.example.Removed"); // no deployment left
        QDir(dir.path()).mkpath("applications");
        QFile desktop(dir.filePath("applications/org.example.One.desktop"));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Example One\nExec=one\nIcon=example-one\n");
        desktop.close();
        PrivateSessionBus bus;
        const QString error = bus.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        REQUIRE_SERVICE(QFile::exists("/usr/libexec/xdg-permission-store"), "xdg-permission-store");
        const QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), "store");
        Decisions decisions{{"org.example.One", {"yes"}},
                            {"org.example.Two", {"ask"}},
                            {"org.example.Trusted", {"yes"}},
                            {oddId, {"no"}}};
        for (auto it = decisions.cbegin(); it != decisions.cend(); ++it)
            callOn(connection, service, "SetPermission", {"devices", true, "camera", it.key(), it.value()});

        PortalCameraPermissionStore portal(connection, {dir.filePath("flatpak/app")},
                                           {dir.filePath("applications")});
        const QList<CameraApp> apps = AccessRevoker::apps(portal);
        QStringList ids;
        for (const CameraApp &app : apps)
            ids.append(app.appId);
        QCOMPARE(ids, (QStringList{"org.example.One", "org.example.Flat", oddId, "org.example.Trusted",
                                   "org.example.Two"}));
        QCOMPARE(apps.first().icon, QStringLiteral("example-one")); // named "Example One", it comes first
        // The odd id survived the bus both ways and is taken away as it is.
        QCOMPARE(AccessRevoker::revoke(portal, {QString(), oddId, QStringLiteral("org.example.Flat")}), 2);
        decisions.remove(oddId);
        Decisions left;
        const QDBusMessage lookup = callOn(connection, service, "Lookup", {"devices", "camera"});
        lookup.arguments().value(0).value<QDBusArgument>() >> left;
        QCOMPARE(left, decisions);
        QDBusConnection::disconnectFromBus("store");
    }

    // A store that answers but refuses (a confined caller, a broken store),
    // reading the decisions or deleting one: nothing counts as taken away.
    void refusalsAreNoSuccess()
    {
        PrivateSessionBus bus;
        QVERIFY(bus.start().isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        const ChildProcess mock("/usr/bin/python3", {"-m", "dbusmock", "--session", service, path, service},
                                env);
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), "mocked");
        // Python takes its time to start on a busy machine.
        REQUIRE_SERVICE(
            QTest::qWaitFor([&] { return connection.interface()->isServiceRegistered(service).value(); },
                            30000),
            "python3-dbusmock");

        const auto addMethod = [&](const QString &name, const QString &in, const QString &out,
                                   const QString &code) {
            const QVariantList method{service, name, in, out, code};
            QCOMPARE(callOn(connection, "org.freedesktop.DBus.Mock", "AddMethod", method).type(),
                     QDBusMessage::ReplyMessage);
        };
        const QString refuse = QStringLiteral(
            "raise dbus.exceptions.DBusException('no', name='org.freedesktop.DBus.Error.AccessDenied')");
        addMethod("SetPermission", "sbssas", QString(), "pass");
        addMethod("DeletePermission", "sss", QString(), refuse);
        PortalCameraPermissionStore portal(connection, {}, {});
        QVERIFY(portal.isAvailable());
        for (const QString &lookup :
             {refuse,
              QStringLiteral("ret = ({'org.example.One': ['yes']}, dbus.Boolean(True, variant_level=1))")}) {
            addMethod("Lookup", "ss", "a{sas}v", lookup);
            QCOMPARE(AccessRevoker::revoke(portal, {QStringLiteral("org.example.One")}), 0);
        }
        QDBusConnection::disconnectFromBus("mocked");
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
