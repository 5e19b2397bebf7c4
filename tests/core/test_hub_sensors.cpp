#include "DefaultsStore.h"
#include "Hub.h"
#include "SensorHistory.h"
#include "SimSensorSources.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
const SensorUser chat{200, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat")};

// A hub on simulated sensor sources, with a clock that moves one second per reading.
struct Rig : SimSensorSources {
    QTemporaryDir dir;
    DefaultsStore defaults;
    Hub hub{defaults, AppInfo{QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("1.0"), {}, false, false},
            HubServices{std::make_unique<SensorWatcher>(sources(), 1), dir.path()}};
    QSignalSpy changes{&hub, &Hub::sensorChange};
    QSignalSpy stateChanges{&hub, &Hub::sensorStateChanged};
    QDateTime clock = QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC);

    Rig()
    {
        processes.addApp(RunningApp{zoom.pid, zoom.name, zoom.bundleID, false});
        hub.setClock([this] {
            clock = clock.addSecs(1);
            return clock;
        });
    }
    QString historyFile() const { return dir.filePath(QStringLiteral("history.json")); }
};

} // namespace

class TestHubSensors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startStartsTheWatcher()
    {
        Rig rig;
        rig.hub.start();
        QCOMPARE(rig.audio.startCalls, 1);
        QCOMPARE(rig.cameras.startCalls, 1);
        QCOMPARE(rig.changes.size(), 1);
        QCOMPARE(rig.stateChanges.size(), 0);
        QVERIFY(rig.hub.history().sessions().isEmpty());
    }

    void aChangeIsStoredAndRecordedBeforeTheShellHearsOfIt()
    {
        Rig rig;
        rig.hub.start();
        int sessionsWhenAnnounced = -1;
        const auto announced = [&](const SensorState &, const SensorState &after) {
            QCOMPARE(rig.hub.sensorState(), after);
            sessionsWhenAnnounced = int(rig.hub.history().sessions().size());
        };
        QObject::connect(&rig.hub, &Hub::sensorChange, &rig.hub, announced);
        rig.audio.setCaptures({{1, zoom.pid, {}, {}}});
        const SensorState listening{false, true, {}, {zoom}};
        QCOMPARE(rig.stateChanges.size(), 1);
        QCOMPARE(rig.stateChanges.first().first().value<SensorState>(), listening);
        QCOMPARE(rig.changes.last().at(0).value<SensorState>(), SensorState{});
        QCOMPARE(rig.changes.last().at(1).value<SensorState>(), listening);
        QCOMPARE(sessionsWhenAnnounced, 1);

        rig.hub.history().flush();
        QVERIFY(QFileInfo(rig.historyFile()).size() > 2);
    }

    void bothSensorsAreRecordedWithOneClockReading()
    {
        Rig rig;
        rig.hub.sensors()->simulate(SensorState{true, true, {zoom}, {chat}});
        const QList<SensorSession> sessions = rig.hub.history().sessions();
        QCOMPARE(sessions.size(), 2);
        QCOMPARE(sessions.at(0).sensor, Sensor::Microphone);
        QCOMPARE(sessions.at(1).sensor, Sensor::Camera);
        QCOMPARE(sessions.at(0).start, sessions.at(1).start);
    }

    void demonstrationsAreShownButNeverRecorded()
    {
        Rig rig;
        rig.hub.setSimulating(true);
        const SensorState made{true, true, {zoom}, {chat}};
        rig.hub.sensors()->simulate(made);
        QCOMPARE(rig.changes.size(), 1);
        QCOMPARE(rig.hub.sensorState(), made);
        QVERIFY(rig.hub.history().sessions().isEmpty());
        rig.hub.history().flush();
        QVERIFY(!QFile::exists(rig.historyFile()));
    }
};

QTEST_GUILESS_MAIN(TestHubSensors)
#include "test_hub_sensors.moc"
