// The tutorial's steps and demonstrations: made-up uses are shown but never
// recorded, the hub step completes however the hub opens, and finishing in
// any way gives the real state back and is remembered.
#include "SensorHistory.h"
#include "SimSensorSources.h"
#include "Tutorial.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Rig {
    QTemporaryDir dir;
    SimHub sim{dir.path()};
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
        rig.sim.sensors.history().flush();
        QVERIFY(rig.sim.sensors.history().sessions().isEmpty());
        QVERIFY(!QFile::exists(rig.dir.filePath(QStringLiteral("history.json"))));

        // Asked for again mid-demonstration: it starts over on the real state, still unseen.
        rig.tutorial.begin();
        QVERIFY(!rig.sim.sensors.simulating());
        QCOMPARE(rig.sim.sensors.state(), SensorState{});
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Camera);
        QVERIFY(!rig.sim.settings.tutorialSeen.value());
    }

    // Closing the window mid-demonstration: the real state (nothing) comes back.
    void finishingGivesTheRealStateBack()
    {
        Rig rig;
        rig.tutorial.next();
        rig.tutorial.show();
        rig.tutorial.finish();
        QVERIFY(!rig.tutorial.running());
        QVERIFY(!rig.sim.sensors.simulating());
        QCOMPARE(rig.sim.sensors.state(), SensorState{});
        QVERIFY(rig.sim.settings.tutorialSeen.value());
        QCOMPARE(rig.asked, QStringList{QStringLiteral("endBanner")});
        rig.tutorial.finish(); // a second finish does nothing
        QCOMPARE(rig.asked.size(), 1);
    }

    void theHubStepCompletesWhenTheHubOpens()
    {
        Rig rig;
        rig.tutorial.hubOpened(); // on another step: nothing
        QVERIFY(!rig.tutorial.shown());
        rig.tutorial.next();
        rig.tutorial.next();
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Hub);
        QSignalSpy changed(&rig.tutorial, &Tutorial::changed);
        rig.tutorial.hubOpened();
        QVERIFY(rig.tutorial.shown());
        QCOMPARE(changed.size(), 1);
        rig.tutorial.back();
        rig.tutorial.next();
        rig.tutorial.show(); // "Open the Panel for Me"
        QCOMPARE(rig.asked, QStringList{QStringLiteral("openHub")});
    }

    void stepsMoveWithinTheirBounds()
    {
        Rig rig;
        rig.tutorial.back();
        QCOMPARE(rig.tutorial.step(), Tutorial::Step::Camera);
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
    }
};

QTEST_GUILESS_MAIN(TestTutorial)
#include "test_tutorial.moc"
