#include "SensorHistory.h"
#include "SimAppTerminator.h"
#include "SimSensorSources.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A model whose clock moves one second per reading.
struct Rig {
    SimHub sim;
    SensorModel &sensors = sim.sensors;
    QSignalSpy changes{&sensors, &SensorModel::changed};
    QDateTime clock = QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC);

    Rig()
    {
        sim.processes.addApp(RunningApp{zoom.pid, zoom.name, zoom.appId, false});
        sensors.setClock([this] { return clock = clock.addSecs(1); });
    }
};

} // namespace

class TestSensorModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aChangeIsStoredAndRecordedBeforeTheShellHearsOfIt()
    {
        Rig rig;
        rig.sensors.start();
        int sessionsWhenAnnounced = -1;
        const auto announced = [&](const SensorState &, const SensorState &after) {
            QCOMPARE(rig.sensors.state(), after);
            sessionsWhenAnnounced = int(rig.sensors.history().sessions().size());
        };
        QObject::connect(&rig.sensors, &SensorModel::changed, &rig.sensors, announced);
        rig.sim.audio.setCaptures({seenCapture(1, zoom.pid)});
        QTRY_COMPARE(rig.changes.size(), 2);
        QCOMPARE(rig.changes.last().at(0).value<SensorState>(), SensorState{});
        QCOMPARE(rig.changes.last().at(1).value<SensorState>(), micState({zoom}));
        QCOMPARE(sessionsWhenAnnounced, 1); // the file written: test_live_halo

        // Both sensors of one change are recorded with one clock reading.
        rig.sensors.watcher()->simulate(SensorState{true, true, {zoom}, {chat}});
        const QList<SensorSession> sessions = rig.sensors.history().sessions();
        QCOMPARE(sessions.at(0).start, sessions.at(1).start);
        QVERIFY(sessions.at(0).sensor != sessions.at(1).sensor);
    }

    void newCameraUsersAreAskedToQuitOnce()
    {
        Rig rig;
        SimAppTerminator terminator;
        SensorModel sensors(rig.sim.settings, std::make_unique<SensorWatcher>(rig.sim.sources(), 1), {},
                            &terminator);
        const auto simulate = [&sensors](const QList<SensorUser> &users) {
            sensors.watcher()->simulate(users.isEmpty() ? SensorState{} : cameraState(users));
        };
        Settings &settings = rig.sim.settings;
        settings.allowList.set({zoom.appId});
        settings.autoQuitWhenOff.set(true);
        settings.cameraOff.set(true);
        simulate({zoom, chat});
        simulate({zoom, chat, bare});
        simulate({chat, bare});
        QCOMPARE(terminator.terminated, QList<qint32>({chat.pid, bare.pid}));

        // Not while the app's own preview holds the camera, with auto-quit off, or in a demonstration.
        terminator.terminated.clear();
        simulate({});
        sensors.watcher()->setOwnCameraUse(true);
        simulate({chat});
        sensors.watcher()->setOwnCameraUse(false);
        simulate({});
        settings.autoQuitWhenOff.set(false);
        simulate({chat});
        settings.autoQuitWhenOff.set(true);
        sensors.setSimulating(true);
        simulate({});
        simulate({chat});
        QVERIFY(terminator.terminated.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSensorModel)
#include "test_sensor_model.moc"
