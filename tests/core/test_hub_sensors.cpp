#include "SensorHistory.h"
#include "SimSensorSources.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A hub with a data folder and a clock that moves one second per reading.
struct Rig {
    QTemporaryDir dir;
    SimHub sim{dir.path()};
    Hub &hub = sim.hub;
    QSignalSpy changes{&hub, &Hub::sensorChange};
    QDateTime clock = QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC);

    Rig()
    {
        sim.processes.addApp(RunningApp{zoom.pid, zoom.name, zoom.appId, false});
        hub.setClock([this] { return clock = clock.addSecs(1); });
    }
    QString historyFile() const { return dir.filePath(QStringLiteral("history.json")); }
};

} // namespace

class TestHubSensors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aChangeIsStoredAndRecordedBeforeTheShellHearsOfIt()
    {
        Rig rig;
        rig.hub.start();
        QCOMPARE(rig.changes.size(), 1);
        int sessionsWhenAnnounced = -1;
        const auto announced = [&](const SensorState &, const SensorState &after) {
            QCOMPARE(rig.hub.sensorState(), after);
            sessionsWhenAnnounced = int(rig.hub.history().sessions().size());
        };
        QObject::connect(&rig.hub, &Hub::sensorChange, &rig.hub, announced);
        rig.sim.audio.setCaptures({seenCapture(1, zoom.pid)});
        QCOMPARE(rig.changes.last().at(0).value<SensorState>(), SensorState{});
        QCOMPARE(rig.changes.last().at(1).value<SensorState>(), micState({zoom}));
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
        QCOMPARE(sessions.at(0).start, sessions.at(1).start);
    }

    void simulatingWritesNoHistoryButStillEmits()
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
