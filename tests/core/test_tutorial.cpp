// The hub step and the window's buttons are the tutorial self-check's (test_tray).
#include "SensorHistory.h"
#include "SimSensorSources.h"
#include "Tutorial.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct Rig {
    SimHub sim;
    QStringList asked; // what the tutorial asked of the shell
    Tutorial tutorial{sim.sensors,
                      sim.settings.tutorialSeen,
                      {[this] { asked.append(QStringLiteral("openHub")); },
                       [this] { asked.append(QStringLiteral("closeWindow")); },
                       [this] { asked.append(QStringLiteral("endBanner")); }}};

    Rig()
    {
        sim.sensors.start();
        tutorial.begin();
    }
};

} // namespace

class TestTutorial : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demonstrationsAreShownButNotRecorded()
    {
        Rig rig;
        rig.tutorial.show();
        QCOMPARE(rig.sim.sensors.state(), (SensorState{true, false, {Tutorial::cameraSample()}, {}}));
        QVERIFY(rig.sim.sensors.simulating());
        rig.tutorial.next();
        QVERIFY(!rig.tutorial.shown());
        rig.tutorial.show();
        QCOMPARE(rig.sim.sensors.state(), (SensorState{false, true, {}, {Tutorial::microphoneSample()}}));
        // No process stands behind a sample: nothing can quit or name one.
        QCOMPARE(Tutorial::cameraSample().pid, -1);

        // Asked for again mid-demonstration: it starts over on the real state, still unseen.
        rig.tutorial.begin();
        QVERIFY(!rig.sim.sensors.simulating());
        QCOMPARE(rig.sim.sensors.state(), SensorState{});
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Camera);
        QVERIFY(!rig.sim.settings.tutorialSeen.value());
    }

    void stepsMoveWithinTheirBounds()
    {
        Rig rig;
        rig.tutorial.back();
        rig.tutorial.hubOpened(); // only the hub step waits for it
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Camera);
        QVERIFY(!rig.tutorial.shown());
        for (int i = 0; i < 3; ++i)
            rig.tutorial.next();
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Toggle);
        QVERIFY(rig.tutorial.running());
        rig.tutorial.next(); // Done
        QVERIFY(!rig.tutorial.running());
        QVERIFY(rig.sim.settings.tutorialSeen.value());
        QCOMPARE(rig.asked, QStringList({QStringLiteral("endBanner"), QStringLiteral("closeWindow")}));
        rig.tutorial.begin();
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Camera);
        QVERIFY(rig.tutorial.running() && !rig.tutorial.shown());

        // Closing the window mid-demonstration gives the real state (nothing) back, once.
        rig.tutorial.next();
        rig.tutorial.show();
        rig.tutorial.finish();
        rig.tutorial.finish();
        QVERIFY(!rig.tutorial.running() && !rig.sim.sensors.simulating());
        QCOMPARE(rig.sim.sensors.state(), SensorState{});
        QCOMPARE(rig.asked.mid(2), QStringList{QStringLiteral("endBanner")});
    }
};

QTEST_GUILESS_MAIN(TestTutorial)
#include "test_tutorial.moc"
