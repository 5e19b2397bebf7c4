// The tools section over simulated facilities: one probe per opening, a
// click runs its tool (the panel out of the way first where the tool needs
// the screen), unavailable tiles say why and do nothing. On the rig's X
// server: the colour sampler with real clicks and keys, and display power.
#include "ChildProcess.h"
#include "HubSections.h"
#include "PortalColorPicker.h"
#include "PrivateSessionBus.h"
#include "RequiredService.h"
#include "SamplerWindow.h"
#include "ScreenSampler.h"
#include "SimToolFacilities.h"
#include "TimerTask.h"
#include "ToolTile.h"
#include "Tools.h"
#include "ToolsSection.h"
#include "ToolsView.h"
#include "X11Connection.h"
#include "X11DisplaySleep.h"
#include "XDoTool.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

class TestToolsView : public QObject {
    Q_OBJECT

    SimToolFacilities m_sim;

private Q_SLOTS:
    void tilesRunTheirTools()
    {
        m_sim.icons.missingHere = DesktopFacility::Missing::DesktopIcons;
        Tools tools(m_sim.all(), std::make_unique<TimerTask>());
        QStringList events;
        HubSections sections;
        ToolsSection{tools, [&events] { events << "panel closed"; }}.addTo(sections);
        connect(&tools, &Tools::note, this, [&events](const QString &text) { events << text; });
        connect(&m_sim.lock, &DesktopAction::finished, this, [&events] { events << "locked"; });
        std::unique_ptr<QWidget> section(sections.make(HubTab::Tools));
        QCOMPARE(m_sim.hidden.probes, 1);
        auto *view = qobject_cast<ToolsView *>(section.get());
        QVERIFY(view);
        view->resize(704, 260);
        view->show();

        QTest::mouseClick(view->tile(Tool::HiddenFiles), Qt::LeftButton);
        QVERIFY(view->tile(Tool::HiddenFiles)->isOn());
        QTest::mouseClick(view->tile(Tool::LockScreen), Qt::LeftButton);
        QCOMPARE(events, (QStringList{"Files shows hidden files.", "panel closed", "locked"}));

        ToolTile *icons = view->tile(Tool::CleanDesktop);
        QVERIFY(!icons->isEnabled());
        QCOMPARE(icons->line(), "This desktop shows no icons");
        QTest::mouseClick(icons, Qt::LeftButton);
        QVERIFY(!m_sim.icons.isOn());

        // The desktop changed a setting by itself: the tile follows.
        m_sim.dark.changeOutside(true);
        QCOMPARE(view->tile(Tool::DarkMode)->line(), "Now dark — click for light");
        section.reset();
        section.reset(sections.make(HubTab::Tools));
        QCOMPARE(m_sim.hidden.probes, 2);
    }

    void samplerPicksUnderTheClick()
    {
        QWidget swatch(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        swatch.setPalette(QPalette(QColor(0x34, 0xD3, 0x66)));
        swatch.setAutoFillBackground(true);
        swatch.setGeometry(200, 200, 120, 120);
        swatch.show();
        QVERIFY(QTest::qWaitForWindowExposed(&swatch));
        ScreenSampler sampler;
        sampler.probe();
        QVERIFY(sampler.isAvailable());
        Tools tools({&sampler}, std::make_unique<TimerTask>());
        QSignalSpy copied(&tools, &Tools::colorPicked);
        QSignalSpy picked(&sampler, &ColorPicker::picked);

        tools.run(Tool::ColorPicker);
        QTRY_VERIFY(!sampler.windows().isEmpty() && QTest::qWaitForWindowExposed(sampler.windows().first()));
        // The swatch is gone; the sampler shows the screen as it was.
        swatch.hide();
        QVERIFY(XDoTool::drive(XDoTool::moveTo({260, 260}) + QStringList{"click", "1"}));
        QTRY_COMPARE(picked.size(), 1);
        QCOMPARE(copied.value(0).value(0).toString(), "#34D366");
        QTRY_VERIFY(sampler.windows().isEmpty());

        tools.run(Tool::ColorPicker);
        QTRY_VERIFY(!sampler.windows().isEmpty() && QTest::qWaitForWindowExposed(sampler.windows().first()));
        QVERIFY(XDoTool::drive({"key", "Escape"}));
        QTRY_COMPARE(picked.size(), 2);
        QCOMPARE(picked.last().value(0).toBool(), false);
        QCOMPARE(copied.size(), 1);
    }

    // A portal that claims a picker but fails to run it: the own sampler takes over.
    void samplerTakesOverAFailingPortal()
    {
        PrivateSessionBus bus;
        QVERIFY(bus.start().isEmpty());
        const QDBusConnection connection =
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("portal"));
        const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
        const QString screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        ChildProcess mock(QStringLiteral("/usr/bin/python3"),
                          {"-m", "dbusmock", "--session", portal, path, screenshot}, env);
        REQUIRE_SERVICE(
            QTest::qWaitFor([&] { return connection.interface()->isServiceRegistered(portal).value(); },
                            20000),
            QStringLiteral("python3-dbusmock"));
        const auto mockCall = [&](const QString &method, const QVariantList &arguments) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                portal, path, QStringLiteral("org.freedesktop.DBus.Mock"), method);
            message.setArguments(arguments);
            QDBusConnection(connection).call(message);
        };
        mockCall(QStringLiteral("AddProperty"), {screenshot, QStringLiteral("version"), 2u});
        mockCall(
            QStringLiteral("AddMethod"),
            {screenshot, QStringLiteral("PickColor"), QStringLiteral("sa{sv}"), QStringLiteral("o"),
             QStringLiteral("raise dbus.exceptions.DBusException('no picker', name='org.example.Failed')")});
        ScreenSampler sampler(std::make_unique<PortalColorPicker>(connection));
        sampler.probe();
        QTRY_VERIFY(sampler.isAvailable());
        QSignalSpy picked(&sampler, &ColorPicker::picked);
        sampler.pick();
        QTRY_VERIFY(!sampler.windows().isEmpty() && QTest::qWaitForWindowExposed(sampler.windows().first()));
        QVERIFY(picked.isEmpty());
        QVERIFY(XDoTool::drive({"key", "Escape"}));
        QTRY_COMPARE(picked.size(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    }

    void displaysSleep()
    {
        X11DisplaySleep sleep;
        sleep.probe();
        QSignalSpy finished(&sleep, &DesktopAction::finished);
        sleep.run();
        QCOMPARE(finished.size(), 1);
        if (!sleep.isAvailable()) {
            QCOMPARE(sleep.missing(), DesktopFacility::Missing::DisplayPower);
            QCOMPARE(finished.value(0).value(0).toBool(), false);
            return;
        }
        QCOMPARE(finished.value(0).value(0).toBool(), true);
        CARD16 level = 0;
        BOOL enabled = False;
        QVERIFY(DPMSInfo(X11Connection::xlibDisplay(), &level, &enabled));
        QCOMPARE(level, CARD16(DPMSModeOff));
        DPMSForceLevel(X11Connection::xlibDisplay(), DPMSModeOn);
    }
};

QTEST_MAIN(TestToolsView)
#include "test_tools_view.moc"
