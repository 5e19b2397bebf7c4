// The tools' D-Bus backends against python3-dbusmock on a private bus that stands in for both the session and
// the system bus: logind's and the GNOME screen saver's templates, a freedesktop screen saver, and a UDisks2
// tree of an internal disk, a stick and a busy backup disk. Missing services too.
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

const QString mockInterface = "org.freedesktop.DBus.Mock";
const QString logind = "org.freedesktop.login1";
const QString screenSaver = "org.freedesktop.ScreenSaver";
const QString udisks = "org.freedesktop.UDisks2";

// A reply's first value, out of its variant if it came in one.
QVariant firstValue(const QDBusMessage &reply)
{
    const QVariant value = reply.arguments().value(0);
    return value.userType() == qMetaTypeId<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

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
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_bus->address());
        m_mocks.push_back(std::make_unique<ChildProcess>(
            "/usr/bin/python3", QStringList{"-m", "dbusmock", "--session"} + arguments, environment));
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
    void addMethod(const QString &service, const QString &path, const QString &interface, const char *name,
                   const char *in, const char *out, const QString &code) const
    {
        call(service, path, mockInterface, "AddMethod",
             {interface, QString::fromLatin1(name), QString::fromLatin1(in), QString::fromLatin1(out), code});
    }
    // A reply's array of structures, each as the list of its fields.
    static QList<QVariantList> structures(const QDBusMessage &reply)
    {
        QList<QVariantList> all;
        const auto array = firstValue(reply).value<QDBusArgument>();
        for (array.beginArray(); !array.atEnd(); array.endStructure()) {
            all.append(QVariantList());
            for (array.beginStructure(); !array.atEnd();)
                all.last().append(array.asVariant());
        }
        array.endArray();
        return all;
    }
    // The names of the methods called on a mock object so far.
    QStringList calls(const QString &service, const QString &path) const
    {
        QStringList names;
        for (const QVariantList &logged : structures(call(service, path, mockInterface, "GetCalls")))
            names << logged.value(1).toString();
        return names;
    }
    int inhibitors() const
    {
        const QList<QVariantList> all = structures(
            call(logind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "ListInhibitors"));
        return int(std::count_if(all.cbegin(), all.cend(), [](const QVariantList &inhibitor) {
            return inhibitor.value(0) == QStringLiteral("idle:sleep") &&
                   inhibitor.value(3) == QStringLiteral("block");
        }));
    }
    void startLogind()
    {
        startMock({"--template", "logind"}, logind);
        call(logind, "/org/freedesktop/login1", mockInterface, "AddSession",
             {"c1", "seat0", 1000u, "user", true});
    }
    // What a facility answers to `act` (finished, switched or ejected); nothing when it does not.
    template <typename Object, typename Signal>
    static QVariantList answer(Object *facility, Signal signal, const std::function<void()> &act)
    {
        QSignalSpy spy(facility, signal);
        act();
        return !spy.isEmpty() || spy.wait() ? spy.value(0) : QVariantList();
    }

private Q_SLOTS:
    void init()
    {
        m_mocks.clear();
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString error = m_bus->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("a session bus (%1)").arg(error));
        QDBusConnection::connectToBus(m_bus->address(), QString::number(++m_buses));
    }

    // The session bus without the services, and no system bus at all.
    void nothingAnswers()
    {
        const QDBusConnection noBus("never connected");
        DBusScreenLock lock(bus(), noBus, "c1");
        InhibitorKeepAwake awake(bus(), noBus, "Tarnwick", "Keep Awake");
        UDisksEjector disks(noBus);
        for (DesktopFacility *facility : std::initializer_list<DesktopFacility *>{&lock, &awake, &disks}) {
            facility->probe();
            QTRY_COMPARE(facility->missing(), DesktopFacility::Missing::Service);
        }
        QCOMPARE(answer(&lock, &DesktopAction::finished, [&] { lock.run(); }), QVariantList{false});
        QCOMPARE(answer(&awake, &DesktopToggle::switched, [&] { awake.setOn(true); }), QVariantList{false});
        QCOMPARE(answer(&disks, &DiskEjector::ejected, [&] { disks.ejectAll(); }),
                 (QVariantList{0, QStringList()}));
    }

    // Through logind alone; once a screen saver runs, through it: it answers once it has locked (the template
    // takes a second), the hub's thread goes on meanwhile, and logind is not asked.
    void locksThroughTheScreenSaverElseLogind()
    {
        startLogind();
        const QString session = "/org/freedesktop/login1/session/c1";
        DBusScreenLock lock(bus(), bus(), "c1");
        lock.probe();
        QCOMPARE(answer(&lock, &DesktopAction::finished, [&] { lock.run(); }), QVariantList{true});
        QVERIFY(lock.isAvailable());
        QCOMPARE(calls(logind, session), QStringList{"Lock"});

        const QString gnome = "org.gnome.ScreenSaver";
        startMock({"--template", "gnome_screensaver"}, gnome);
        QSignalSpy locked(&lock, &DesktopAction::finished);
        lock.run();
        QVERIFY(locked.isEmpty());
        QVERIFY(locked.wait(5000));
        QCOMPARE(locked.value(0).value(0).toBool(), true);
        QVERIFY(firstValue(call(gnome, "/org/gnome/ScreenSaver", gnome, "GetActive")).toBool());
        QCOMPARE(calls(logind, session), QStringList{"Lock"});
    }

    void keepAwakeHoldsAndReleases()
    {
        startLogind();
        const QString saverPath = "/org/freedesktop/ScreenSaver";
        startMock({screenSaver, saverPath, screenSaver}, screenSaver);
        addMethod(screenSaver, saverPath, screenSaver, "Inhibit", "ss", "u", "ret = 7");
        addMethod(screenSaver, saverPath, screenSaver, "UnInhibit", "u", "", QString());
        auto awake = std::make_unique<InhibitorKeepAwake>(bus(), bus(), "Tarnwick", "Keep Awake");
        const auto hold = [&] { awake->setOn(true); };
        QCOMPARE(answer(awake.get(), &DesktopToggle::switched, hold), QVariantList{true});
        QCOMPARE(inhibitors(), 1);
        awake->setOn(false);
        QVERIFY(!awake->isOn());
        QTRY_COMPARE(inhibitors(), 0);
        QTRY_COMPARE(calls(screenSaver, saverPath), (QStringList{"Inhibit", "UnInhibit"}));
        // Held again, then gone with its owner, as in a crash.
        QCOMPARE(answer(awake.get(), &DesktopToggle::switched, hold), QVariantList{true});
        QCOMPARE(inhibitors(), 1);
        awake.reset();
        QTRY_COMPARE(inhibitors(), 0);
    }

    // GNOME's desktop icons: an extension, followed when switched elsewhere;
    // a shell without it draws no icons.
    void desktopIconsThroughTheShell()
    {
        const QString shell = "org.gnome.Shell.Extensions";
        const QString path = "/org/gnome/Shell/Extensions";
        startMock({shell, path, shell}, shell);
        addMethod(
            shell, path, shell, "GetExtensionInfo", "s", "a{sv}",
            QStringLiteral(
                "ret = dbus.Dictionary({'state': dbus.Double(getattr(self, 'ding', 1.0))}, signature='sv') "
                "if args[0] == 'ding@rastersoft.com' else dbus.Dictionary({}, signature='sv')"));
        for (const auto &[name, state] :
             {std::pair{"DisableExtension", "2.0"}, std::pair{"EnableExtension", "1.0"}})
            addMethod(shell, path, shell, name, "s", "b",
                      QStringLiteral("self.ding = %1; self.EmitSignal('%2', 'ExtensionStateChanged', "
                                     "'sa{sv}', [args[0], {'state': dbus.Double(%1)}]); ret = True")
                          .arg(QLatin1String(state), shell));
        ShellExtensionToggle icons(bus(), ShellExtensionToggle::desktopIconsUuid());
        icons.probe();
        QCOMPARE(answer(&icons, &DesktopToggle::switched, [&] { icons.setOn(true); }), QVariantList{true});
        call(shell, path, shell, "EnableExtension", {ShellExtensionToggle::desktopIconsUuid()});
        QTRY_VERIFY(!icons.isOn());

        ShellExtensionToggle absent(bus(), "absent@example.org");
        absent.probe();
        QTRY_COMPARE(absent.missing(), DesktopFacility::Missing::DesktopIcons);
    }

    // XFCE's desktop icons in xfconf: hidden and given back as they were
    // (minimised windows here), and followed when set elsewhere.
    void desktopIconsInXfconf()
    {
        const QString xfconf = "org.xfce.Xfconf";
        const QString path = "/org/xfce/Xfconf";
        startMock({xfconf, path, xfconf}, xfconf);
        addMethod(xfconf, path, xfconf, "GetProperty", "ss", "v",
                  "ret = dbus.Int32(getattr(self, 'style', 1))");
        addMethod(
            xfconf, path, xfconf, "SetProperty", "ssv", "",
            QStringLiteral("self.style = args[2]; self.EmitSignal('org.xfce.Xfconf', 'PropertyChanged', "
                           "'ssv', [args[0], args[1], dbus.Int32(args[2], variant_level=1)])"));
        const QVariantList key{"xfce4-desktop", "/desktop-icons/style"};
        const auto style = [&] { return firstValue(call(xfconf, path, xfconf, "GetProperty", key)).toInt(); };
        const auto icons = XfconfToggle::desktopIconsHidden(bus());
        icons->probe();
        QCOMPARE(answer(icons.get(), &DesktopToggle::switched, [&] { icons->setOn(true); }),
                 QVariantList{true});
        QCOMPARE(style(), 0);
        QCOMPARE(answer(icons.get(), &DesktopToggle::switched, [&] { icons->setOn(false); }),
                 QVariantList{true});
        QCOMPARE(style(), 1);
        call(xfconf, path, xfconf, "SetProperty", key + QVariantList{QVariant::fromValue(QDBusVariant(0))});
        QTRY_VERIFY(icons->isOn());
    }

    void displaysSleepThroughMutter()
    {
        const QString mutter = "org.gnome.Mutter.DisplayConfig";
        const QString path = "/org/gnome/Mutter/DisplayConfig";
        startMock({mutter, path, mutter}, mutter);
        call(mutter, path, mockInterface, "AddProperty",
             {mutter, "PowerSaveMode", QVariant::fromValue(QDBusVariant(0))});
        MutterDisplaySleep sleep(bus());
        sleep.probe();
        QCOMPARE(answer(&sleep, &DesktopAction::finished, [&] { sleep.run(); }), QVariantList{true});
        QVERIFY(sleep.isAvailable());
        const QVariantList property{mutter, "PowerSaveMode"};
        QCOMPARE(firstValue(call(mutter, path, "org.freedesktop.DBus.Properties", "Get", property)).toInt(),
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

        const QString portal = "org.freedesktop.portal.Desktop";
        const QString path = "/org/freedesktop/portal/desktop";
        const QString settings = "org.freedesktop.portal.Settings";
        startMock({portal, path, settings}, portal);
        addMethod(portal, path, settings, "Read", "ss", "v", "ret = dbus.UInt32(2, variant_level=2)");
        dark.probe();
        QTRY_VERIFY(!dark.isOn()); // the portal says light
        call(portal, path, mockInterface, "EmitSignal",
             {settings, "SettingChanged", "ssv",
              QVariantList{"org.freedesktop.appearance", "color-scheme",
                           QVariant::fromValue(QDBusVariant(1u))}});
        QTRY_VERIFY(dark.isOn());
    }

    void ejectsAllButTheBusyDisk()
    {
        startMock({"--template", QStringLiteral(PLATFORM_FIXTURES "/udisks2_tree.py")}, udisks);
        UDisksEjector disks(bus());
        disks.probe();
        const auto ejectAll = [&] { disks.ejectAll(); };
        QCOMPARE(answer(&disks, &DiskEjector::ejected, ejectAll), (QVariantList{1, QStringList{"Backup"}}));
        const QString objects = "/org/freedesktop/UDisks2/";
        QCOMPARE(calls(udisks, objects + "drives/USB_Stick"), QStringList{"Eject"});
        QCOMPARE(calls(udisks, objects + "drives/Backup_Disk") +
                     calls(udisks, objects + "block_devices/nvme0n1p2"),
                 QStringList{});
        QVERIFY(disks.isAvailable());
        // The stick is gone now; the busy disk is still there and still refuses.
        QCOMPARE(answer(&disks, &DiskEjector::ejected, ejectAll), (QVariantList{0, QStringList{"Backup"}}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "test_desktop_services.moc"
