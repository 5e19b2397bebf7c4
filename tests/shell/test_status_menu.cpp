// The status menu's first line says who uses the camera and the microphone,
// and says it again when that changes while the menu is open.
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
        QCOMPARE(statusLine(item.menu())->text(), QStringLiteral("In use now"));
        QCOMPARE(statusLine(item.menu())->toolTip(), zoom.name);
        sim.audio.setCaptures({});
        QCOMPARE(statusLine(item.menu())->text(), QStringLiteral("Camera and microphone not in use"));
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
