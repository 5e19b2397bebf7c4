// The status menu's first line says who uses the camera and the microphone,
// and says it again when that changes while the menu is open; the switch
// item and Quit say what they will do.
#include "SimSensorSources.h"
#include "StatusItem.h"
#include "StatusMenu.h"
#include "Symbols.h"

#include <QApplication>
#include <QTest>

namespace {

QAction *statusLine(const QMenu &menu)
{
    return menu.findChild<QAction *>(QStringLiteral("status"));
}

bool showsSymbol(const QAction &action, const QString &symbol)
{
    return action.icon().pixmap(16).toImage() == Symbols::icon(symbol).pixmap(16).toImage();
}

} // namespace

class TestStatusMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void statusLineTellsWhoUsesWhat_data()
    {
        QTest::addColumn<SensorState>("state");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("subtitle");
        const SensorUser signal{300, QStringLiteral("Signal"), {}};
        QTest::newRow("nothing in use") << SensorState{} << "Camera and microphone not in use"
                                        << "checkmark.shield"
                                        << "";
        QTest::newRow("the microphone") << micState({zoom}) << "In use now"
                                        << "mic.fill"
                                        << "Zoom";
        // One app on both is named once; the names are sorted.
        QTest::newRow("both, by three apps")
            << SensorState{true, true, {zoom, chat}, {zoom, signal}} << "In use now"
            << "video.fill"
            << "Chat, Signal, and Zoom";
        QTest::newRow("a camera nobody could be named for") << cameraState({}) << "In use now"
                                                            << "video.fill"
                                                            << "";
    }
    void statusLineTellsWhoUsesWhat()
    {
        QFETCH(SensorState, state);
        QFETCH(QString, title);
        QFETCH(QString, symbol);
        QFETCH(QString, subtitle);
        SimHub sim;
        sim.sensors.start();
        sim.sensors.watcher()->simulate(state);
        QMenu menu;
        StatusMenu::fill(menu, sim.sensors.state(), sim.privacy, {});
        const QAction *status = statusLine(menu);
        QVERIFY(status);
        QCOMPARE(menu.actions().constFirst(), status);
        QCOMPARE(status->text(), title);
        QVERIFY(!status->isEnabled());
        QVERIFY(showsSymbol(*status, symbol));
        // Menus have no second line: the subtitle is the tooltip.
        QCOMPARE(status->toolTip(), subtitle.isEmpty() ? title : subtitle);
    }

    void anOpenMenuFollowsTheSensors()
    {
        SimHub sim;
        sim.processes.addApp(RunningApp{zoom.pid, zoom.name, zoom.appId, false});
        sim.sensors.start();
        StatusItem item;
        QObject::connect(&item, &StatusItem::menuNeedsUpdate, &item, [&sim](QMenu *menu) {
            StatusMenu::fill(*menu, sim.sensors.state(), sim.privacy, {});
        });
        QObject::connect(&sim.sensors, &SensorModel::stateChanged, &item, &StatusItem::refresh);
        item.popUpMenu(QPoint(10, 10));
        QTRY_VERIFY(item.menu().isVisible());
        QCOMPARE(statusLine(item.menu())->text(), QStringLiteral("Camera and microphone not in use"));

        sim.audio.setCaptures({seenCapture(1, zoom.pid)});
        QTRY_COMPARE(statusLine(item.menu())->text(), QStringLiteral("In use now"));
        QCOMPARE(statusLine(item.menu())->toolTip(), zoom.name);
        sim.audio.setCaptures({});
        QCOMPARE(statusLine(item.menu())->text(), QStringLiteral("Camera and microphone not in use"));
    }

    // What the switch item offers and says for each state of the switch, and Quit.
    void itemsFollowTheSwitch_data()
    {
        QTest::addColumn<bool>("cameraOff");
        QTest::addColumn<bool>("micOff");
        QTest::addColumn<QString>("toggle");
        QTest::addColumn<QString>("toggleTip");
        QTest::addColumn<QString>("quitTip");
        const QString turnOff = QStringLiteral("Turn Camera && Microphone Off");
        const QString offTip = QStringLiteral("Apps lose camera access; the microphone goes silent");
        QTest::newRow("all on") << false << false << turnOff << offTip << "Quit Tarnwick";
        QTest::newRow("only the camera off") << true << false << turnOff << offTip << "Quit Tarnwick";
        QTest::newRow("only the microphone off")
            << false << true << turnOff << offTip << "The microphone turns back on";
        QTest::newRow("all off") << true << true << "Turn Camera && Microphone On"
                                 << "Apps can ask for the camera again; the microphone hears you"
                                 << "The microphone turns back on";
    }
    void itemsFollowTheSwitch()
    {
        QFETCH(bool, cameraOff);
        QFETCH(bool, micOff);
        QFETCH(QString, toggle);
        QFETCH(QString, toggleTip);
        QFETCH(QString, quitTip);
        SimHub sim;
        sim.privacy.setCameraOff(cameraOff);
        sim.privacy.setMicOff(micOff);
        QStringList called;
        const auto record = [&called](const char *name) { return [&called, name] { called.append(name); }; };
        const MenuActions actions{record("openHub"),
                                  record("toggleEverythingOff"),
                                  record("showHistory"),
                                  record("showSettings"),
                                  record("checkForUpdates"),
                                  record("showTutorial"),
                                  record("showAbout"),
                                  record("openHelp"),
                                  record("quit")};
        QMenu menu;
        StatusMenu::fill(menu, SensorState{}, sim.privacy, actions);

        QStringList items;
        for (QAction *action : menu.actions()) {
            items.append(action->text() + (action->shortcut().isEmpty()
                                               ? QString()
                                               : QLatin1Char(' ') + action->shortcut().toString()));
            action->trigger();
        }
        QCOMPARE(items, QStringList({"Camera and microphone not in use", "Open Tarnwick", "", toggle,
                                     "History… Ctrl+Y", "", "Settings… Ctrl+,", "Check for Updates…",
                                     "Show Tutorial", "About Tarnwick", "", "Quit Tarnwick Ctrl+Q"}));
        QVERIFY(!menu.actions().first()->isEnabled());
        // Each item calls its own action, in menu order; the status line calls none.
        QCOMPARE(called, QStringList({"openHub", "toggleEverythingOff", "showHistory", "showSettings",
                                      "checkForUpdates", "showTutorial", "showAbout", "quit"}));
        QCOMPARE(menu.findChild<QAction *>(QStringLiteral("toggleEverythingOff"))->toolTip(), toggleTip);
        QCOMPARE(menu.findChild<QAction *>(QStringLiteral("quit"))->toolTip(), quitTip);
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestStatusMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_status_menu.moc"
