// Camera permissions in the desktop portal's permission store, on a private
// session bus with the real store: what is listed, what the switch takes
// away, and what it leaves alone.
#include "AccessRevoker.h"
#include "DefaultsStore.h"
#include "Hub.h"
#include "PortalCameraPermissionStore.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"
#include "SensorWatcher.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

namespace {

const QString oddId = QStringLiteral("org.example.It's \"odd\"\nid");

// The GVariant text of a string, as gdbus reads its arguments.
QString variantText(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QStringList storeCall(const QString &method)
{
    return {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
            QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("--object-path"),
            QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"), QStringLiteral("--method"),
            QStringLiteral("org.freedesktop.impl.portal.PermissionStore.") + method};
}

} // namespace

class TestPortalPermissions : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    QTemporaryDir m_dir;
    int m_connections = 0;

    void grant(const QString &appId, const QString &decision)
    {
        QVERIFY(m_bus->gdbus(storeCall(QStringLiteral("SetPermission"))
                             << QStringLiteral("devices") << QStringLiteral("true") << QStringLiteral("camera")
                             << variantText(appId) << QStringLiteral("['%1']").arg(decision)));
    }
    QByteArray entries() const
    {
        return m_bus->gdbus(storeCall(QStringLiteral("Lookup")) << QStringLiteral("devices") << QStringLiteral("camera"))
            .value_or(QByteArray("(lookup failed)"));
    }
    std::shared_ptr<PortalCameraPermissionStore> store()
    {
        const QDBusConnection bus =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("test-%1").arg(++m_connections));
        return std::make_shared<PortalCameraPermissionStore>(
            bus, QStringList{m_dir.filePath(QStringLiteral("flatpak/app"))},
            QStringList{m_dir.filePath(QStringLiteral("applications"))});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("flatpak/app/org.example.Flat/current"));
        QDir(m_dir.path()).mkpath(QStringLiteral("flatpak/app/org.example.Removed")); // no deployment left
        QDir(m_dir.path()).mkpath(QStringLiteral("applications"));
        QFile desktop(m_dir.filePath(QStringLiteral("applications/org.example.One.desktop")));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Example One\nExec=one\n");
    }

    void init()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        REQUIRE_SERVICE(QFile::exists(QStringLiteral("/usr/libexec/xdg-permission-store")),
                        QStringLiteral("xdg-permission-store"));
        grant(QStringLiteral("org.example.One"), QStringLiteral("yes"));
        grant(QStringLiteral("org.example.Two"), QStringLiteral("ask"));
        grant(QStringLiteral("org.example.Trusted"), QStringLiteral("yes"));
        grant(oddId, QStringLiteral("no"));
    }
    void cleanup() { m_bus.reset(); }

    void appsAreListedByName()
    {
        const std::shared_ptr<PortalCameraPermissionStore> portal = store();
        QVERIFY(portal->isAvailable());
        const QList<CameraApp> apps = AccessRevoker::apps(*portal);
        QStringList ids;
        for (const CameraApp &app : apps)
            ids.append(app.appId);
        QCOMPARE(ids, QStringList({QStringLiteral("org.example.One"), QStringLiteral("org.example.Flat"), oddId,
                                   QStringLiteral("org.example.Trusted"), QStringLiteral("org.example.Two")}));
        QCOMPARE(apps.first().name, QStringLiteral("Example One"));
        // The odd id survived the bus both ways and is taken away as it is.
        QCOMPARE(AccessRevoker::revoke(*portal, {QString(), oddId, QStringLiteral("org.example.Flat")}), 2);
        QVERIFY(!entries().contains("odd"));
    }

    void switchingTheCameraOffLeavesOnlyTrustedApps_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<bool>("resets");
        QTest::newRow("release build") << "dev.orvane.Tarnwick" << true;
        // Without TARNWICK_REAL_RESET=1 a development build never touches the user's permissions.
        QTest::newRow("development build") << "dev.orvane.Tarnwick.dev" << false;
    }
    void switchingTheCameraOffLeavesOnlyTrustedApps()
    {
        QFETCH(QString, appId);
        QFETCH(bool, resets);
        const QByteArray before = entries();
        DefaultsStore defaults;
        HubServices services;
        services.cameraPermissions = store();
        Hub hub(defaults, AppInfo{appId, QStringLiteral("1"), {}, false, false}, std::move(services));
        hub.setAllowed(QStringLiteral("org.example.Trusted"), true);
        hub.setCameraOff(true);
        QTRY_VERIFY_WITH_TIMEOUT(!resets || !entries().contains("org.example.One"), 10000);
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(hub.cameraOff());
        const QByteArray left = entries();
        if (!resets)
            QCOMPARE(left, before);
        else
            QVERIFY2(left.contains("'org.example.Trusted': ['yes']") && !left.contains("org.example.Two")
                         && !left.contains("odd"),
                     left.constData());
    }

    void aStoreThatCannotBeReached()
    {
        const PortalCameraPermissionStore portal(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")),
            {}, {});
        QVERIFY(!portal.isAvailable());
        QVERIFY(portal.apps().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortalPermissions)
#include "test_portal_permissions.moc"
