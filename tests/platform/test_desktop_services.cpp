// The tools' D-Bus backends against python3-dbusmock on a private bus that
// stands in for both the session and the system bus: logind's and the GNOME
// screen saver's templates, a freedesktop screen saver, and a UDisks2 tree of
// an internal disk, a stick and a busy backup disk. Missing services too.
#include "ChildProcess.h"
#include "DBusScreenLock.h"
#include "InhibitorKeepAwake.h"
#include "MutterDisplaySleep.h"
#include "PortalDarkMode.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"
#include "ShellExtensionToggle.h"
#include "SimDesktopToggle.h"
#include "UDisksEjector.h"
#include "XfconfToggle.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString logind = QStringLiteral("org.freedesktop.login1");
const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString udisks = QStringLiteral("org.freedesktop.UDisks2");

} // namespace

class TestDesktopServices : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::vector<std::unique_ptr<ChildProcess>> m_mocks;
    int m_buses = 0;

    QDBusConnection bus() const { return QDBusConnection(QString::number(m_buses)); }
    void startMock(const QStringList &arguments, const QString &name)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        // The system's python, which has python3-dbusmock.
        m_mocks.push_back(std::make_unique<ChildProcess>(
            QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session")} +
                arguments,
            environment));
        REQUIRE_SERVICE(
            QTest::qWaitFor([&] { return bus().interface()->isServiceRegistered(name).value(); }, 20000),
            QStringLiteral("python3-dbusmock serving ") + name);
    }
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return bus().call(message);
    }
    // The names of the methods called on a mock object so far.
    QStringList calls(const QString &service, const QString &path) const
    {
        QStringList names;
        const auto log = call(service, path, mockInterface, QStringLiteral("GetCalls")).arguments().value(0);
        const auto argument = log.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            quint64 time = 0;
            QString name;
            argument.beginStructure();
            argument >> time >> name;
            argument.endStructure();
            names << name;
        }
        argument.endArray();
        return names;
    }
    int inhibitors() const
    {
        const auto list =
            call(logind, QStringLiteral("/org/freedesktop/login1"),
                 QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"))
                .arguments()
                .value(0)
                .value<QDBusArgument>();
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            QString what, who, why, mode;
            uint uid = 0, pid = 0;
            list.beginStructure();
            list >> what >> who >> why >> mode >> uid >> pid;
            list.endStructure();
            if (what == QLatin1String("idle:sleep") && mode == QLatin1String("block"))
                ++count;
        }
        list.endArray();
        return count;
    }
    void startLogind()
    {
        startMock({QStringLiteral("--template"), QStringLiteral("logind")}, logind);
        call(logind, QStringLiteral("/org/freedesktop/login1"), mockInterface, QStringLiteral("AddSession"),
             {QStringLiteral("c1"), QStringLiteral("seat0"), 1000u, QStringLiteral("user"), true});
    }

private Q_SLOTS:
    void init()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        QDBusConnection::connectToBus(m_bus->address(), QString::number(++m_buses));
    }
    void cleanup()
    {
        m_mocks.clear();
        m_bus.reset();
    }

    // The session bus without the services, and no system bus at all.
    void nothingAnswers()
    {
        const QDBusConnection noBus(QStringLiteral("never connected"));
        DBusScreenLock lock(bus(), noBus, QStringLiteral("c1"));
        InhibitorKeepAwake awake(bus(), noBus, QStringLiteral("Tarnwick"), QStringLiteral("Keep Awake"));
        UDisksEjector disks(noBus);
        for (DesktopFacility *facility : std::initializer_list<DesktopFacility *>{&lock, &awake, &disks}) {
            facility->probe();
            QTRY_COMPARE(facility->missing(), DesktopFacility::Missing::Service);
        }
        QSignalSpy locked(&lock, &DesktopAction::finished);
        lock.run();
        QVERIFY(locked.wait());
        QCOMPARE(locked.value(0).value(0).toBool(), false);
        QSignalSpy switched(&awake, &DesktopToggle::switched);
        awake.setOn(true);
        QVERIFY(switched.wait());
        QCOMPARE(switched.value(0).value(0).toBool(), false);
        QVERIFY(!awake.isOn());
        QSignalSpy ejected(&disks, &DiskEjector::ejected);
        disks.ejectAll();
        QVERIFY(ejected.wait());
        QCOMPARE(ejected.value(0), (QVariantList{0, QStringList()}));
    }

    // The screen saver answers once it has locked (the template takes a
    // second): the hub's thread goes on meanwhile; logind is not asked.
    void locksThroughTheScreenSaverFirst()
    {
        startLogind();
        startMock({QStringLiteral("--template"), QStringLiteral("gnome_screensaver")},
                  QStringLiteral("org.gnome.ScreenSaver"));
        DBusScreenLock lock(bus(), bus(), QStringLiteral("c1"));
        QSignalSpy locked(&lock, &DesktopAction::finished);
        lock.run();
        QVERIFY(locked.isEmpty());
        QVERIFY(locked.wait(5000));
        QCOMPARE(locked.value(0).value(0).toBool(), true);
        QCOMPARE(call(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
                      QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("GetActive"))
                     .arguments()
                     .value(0)
                     .toBool(),
                 true);
        QVERIFY(!calls(logind, QStringLiteral("/org/freedesktop/login1/session/c1")).contains("Lock"));
    }

    void locksTheSessionThroughLogind()
    {
        startLogind();
        DBusScreenLock lock(bus(), bus(), QStringLiteral("c1"));
        lock.probe();
        QSignalSpy locked(&lock, &DesktopAction::finished);
        lock.run();
        QVERIFY(locked.wait());
        QCOMPARE(locked.value(0).value(0).toBool(), true);
        QVERIFY(lock.isAvailable());
        QCOMPARE(calls(logind, QStringLiteral("/org/freedesktop/login1/session/c1")), QStringList{"Lock"});
    }

    void keepAwakeHoldsAndReleases()
    {
        startLogind();
        startMock({screenSaver, QStringLiteral("/org/freedesktop/ScreenSaver"), screenSaver}, screenSaver);
        const QString saverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
        call(screenSaver, saverPath, mockInterface, QStringLiteral("AddMethod"),
             {screenSaver, QStringLiteral("Inhibit"), QStringLiteral("ss"), QStringLiteral("u"),
              QStringLiteral("ret = 7")});
        call(screenSaver, saverPath, mockInterface, QStringLiteral("AddMethod"),
             {screenSaver, QStringLiteral("UnInhibit"), QStringLiteral("u"), QString(), QString()});
        auto awake = std::make_unique<InhibitorKeepAwake>(bus(), bus(), QStringLiteral("Tarnwick"),
                                                          QStringLiteral("Keep Awake"));
        QSignalSpy switched(awake.get(), &DesktopToggle::switched);
        awake->setOn(true);
        QVERIFY(switched.wait());
        QVERIFY(awake->isOn());
        QCOMPARE(inhibitors(), 1);
        QCOMPARE(calls(screenSaver, saverPath), QStringList{"Inhibit"});
        awake->setOn(false);
        QVERIFY(!awake->isOn());
        QTRY_COMPARE(inhibitors(), 0);
        QTRY_COMPARE(calls(screenSaver, saverPath), (QStringList{"Inhibit", "UnInhibit"}));
        // Held again, then gone with its owner, as in a crash.
        awake->setOn(true);
        QVERIFY(switched.wait());
        QCOMPARE(inhibitors(), 1);
        awake.reset();
        QTRY_COMPARE(inhibitors(), 0);
    }

    // GNOME's desktop icons: an extension, followed when switched elsewhere;
    // a shell without it draws no icons.
    void desktopIconsThroughTheShell()
    {
        const QString shell = QStringLiteral("org.gnome.Shell.Extensions");
        const QString path = QStringLiteral("/org/gnome/Shell/Extensions");
        startMock({shell, path, shell}, shell);
        const auto addMethod = [&](const char *name, const char *in, const char *out, const char *code) {
            call(shell, path, mockInterface, QStringLiteral("AddMethod"),
                 {shell, QString::fromLatin1(name), QString::fromLatin1(in), QString::fromLatin1(out),
                  QString::fromLatin1(code)});
        };
        addMethod("GetExtensionInfo", "s", "a{sv}",
                  "ret = dbus.Dictionary({'state': dbus.Double(getattr(self, 'ding', 1.0))}, signature='sv') "
                  "if args[0] == 'ding@rastersoft.com' else dbus.Dictionary({}, signature='sv')");
        for (const auto &[name, state] :
             {std::pair{"DisableExtension", "2.0"}, std::pair{"EnableExtension", "1.0"}})
            addMethod(
                name, "s", "b",
                qPrintable(QStringLiteral("self.ding = %1; self.EmitSignal('%2', 'ExtensionStateChanged', "
                                          "'sa{sv}', [args[0], {'state': dbus.Double(%1)}]); ret = True")
                               .arg(QLatin1String(state), shell)));
        ShellExtensionToggle icons(bus(), ShellExtensionToggle::desktopIconsUuid());
        icons.probe();
        QSignalSpy changed(&icons, &DesktopFacility::changed);
        QSignalSpy switched(&icons, &DesktopToggle::switched);
        icons.setOn(true);
        QVERIFY(switched.wait());
        QCOMPARE(switched.value(0).value(0).toBool(), true);
        QVERIFY(icons.isOn());
        call(shell, path, shell, QStringLiteral("EnableExtension"),
             {ShellExtensionToggle::desktopIconsUuid()});
        QTRY_VERIFY(!icons.isOn());

        ShellExtensionToggle absent(bus(), QStringLiteral("absent@example.org"));
        absent.probe();
        QTRY_COMPARE(absent.missing(), DesktopFacility::Missing::DesktopIcons);
    }

    // XFCE's desktop icons in xfconf: hidden and given back as they were
    // (minimised windows here), and followed when set elsewhere.
    void desktopIconsInXfconf()
    {
        const QString xfconf = QStringLiteral("org.xfce.Xfconf");
        const QString path = QStringLiteral("/org/xfce/Xfconf");
        startMock({xfconf, path, xfconf}, xfconf);
        const auto addMethod = [&](const char *name, const char *in, const char *out, const char *code) {
            call(xfconf, path, mockInterface, QStringLiteral("AddMethod"),
                 {xfconf, QString::fromLatin1(name), QString::fromLatin1(in), QString::fromLatin1(out),
                  QString::fromLatin1(code)});
        };
        addMethod("GetProperty", "ss", "v", "ret = dbus.Int32(getattr(self, 'style', 1))");
        addMethod("SetProperty", "ssv", "",
                  "self.style = args[2]; self.EmitSignal('org.xfce.Xfconf', 'PropertyChanged', 'ssv', "
                  "[args[0], args[1], dbus.Int32(args[2], variant_level=1)])");
        const auto icons = XfconfToggle::desktopIconsHidden(bus());
        icons->probe();
        QSignalSpy switched(icons.get(), &DesktopToggle::switched);
        icons->setOn(true);
        QVERIFY(switched.wait());
        QVERIFY(icons->isOn());
        const auto style = [&] {
            return call(xfconf, path, xfconf, QStringLiteral("GetProperty"),
                        {QStringLiteral("xfce4-desktop"), QStringLiteral("/desktop-icons/style")})
                .arguments()
                .value(0)
                .value<QDBusVariant>()
                .variant()
                .toInt();
        };
        QCOMPARE(style(), 0);
        icons->setOn(false);
        QVERIFY(switched.wait());
        QCOMPARE(style(), 1);
        call(xfconf, path, xfconf, QStringLiteral("SetProperty"),
             {QStringLiteral("xfce4-desktop"), QStringLiteral("/desktop-icons/style"),
              QVariant::fromValue(QDBusVariant(0))});
        QTRY_VERIFY(icons->isOn());
    }

    void displaysSleepThroughMutter()
    {
        const QString mutter = QStringLiteral("org.gnome.Mutter.DisplayConfig");
        const QString path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
        startMock({mutter, path, mutter}, mutter);
        call(mutter, path, mockInterface, QStringLiteral("AddProperty"),
             {mutter, QStringLiteral("PowerSaveMode"), QVariant::fromValue(QDBusVariant(0))});
        MutterDisplaySleep sleep(bus());
        sleep.probe();
        QSignalSpy finished(&sleep, &DesktopAction::finished);
        sleep.run();
        QVERIFY(finished.wait());
        QCOMPARE(finished.value(0).value(0).toBool(), true);
        QVERIFY(sleep.isAvailable());
        QCOMPARE(call(mutter, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                      {mutter, QStringLiteral("PowerSaveMode")})
                     .arguments()
                     .value(0)
                     .value<QDBusVariant>()
                     .variant()
                     .toInt(),
                 3);
    }

    // The look as the portal tells it, switched through the desktop's own
    // setting; without a portal the setting's own reading counts.
    void darkModeFollowsThePortal()
    {
        auto writer = std::make_unique<SimDesktopToggle>();
        SimDesktopToggle *setting = writer.get();
        PortalDarkMode dark(bus(), std::move(writer));
        dark.probe();
        setting->changeOutside(true);
        QTRY_VERIFY(dark.isOn());

        const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
        const QString settings = QStringLiteral("org.freedesktop.portal.Settings");
        startMock({portal, path, settings}, portal);
        call(portal, path, mockInterface, QStringLiteral("AddMethod"),
             {settings, QStringLiteral("Read"), QStringLiteral("ss"), QStringLiteral("v"),
              QStringLiteral("ret = dbus.UInt32(2, variant_level=2)")});
        dark.probe();
        QTRY_VERIFY(!dark.isOn()); // the portal says light
        call(portal, path, mockInterface, QStringLiteral("EmitSignal"),
             {settings, QStringLiteral("SettingChanged"), QStringLiteral("ssv"),
              QVariantList{QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                           QVariant::fromValue(QDBusVariant(1u))}});
        QTRY_VERIFY(dark.isOn());
    }

    void ejectsAllButTheBusyDisk()
    {
        startMock({QStringLiteral("--template"), QStringLiteral(PLATFORM_FIXTURES "/udisks2_tree.py")},
                  udisks);
        UDisksEjector disks(bus());
        disks.probe();
        QSignalSpy ejected(&disks, &DiskEjector::ejected);
        disks.ejectAll();
        QVERIFY(ejected.wait());
        QCOMPARE(ejected.value(0), (QVariantList{1, QStringList{"Backup"}}));
        const QString blocks = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
        const QString drives = QStringLiteral("/org/freedesktop/UDisks2/drives/");
        QCOMPARE(calls(udisks, drives + "USB_Stick"), QStringList{"Eject"});
        QCOMPARE(calls(udisks, drives + "Backup_Disk"), QStringList{});
        QCOMPARE(calls(udisks, blocks + "nvme0n1p2"), QStringList{});
        QVERIFY(disks.isAvailable());
        // The stick is gone now; the busy disk is still there and still refuses.
        disks.ejectAll();
        QVERIFY(ejected.wait());
        QCOMPARE(ejected.value(1), (QVariantList{0, QStringList{"Backup"}}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "test_desktop_services.moc"
