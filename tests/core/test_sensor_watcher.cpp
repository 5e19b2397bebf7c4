#include "SensorWatcher.h"
#include "SimSensorSources.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr qint32 me = 4242;
const SensorUser browser{300, QStringLiteral("Browser"), QStringLiteral("org.browser.Browser")};

struct Rig : SimSensorSources {
    SensorWatcher watcher{sources(), me};
    QSignalSpy published{&watcher, &SensorWatcher::changed};

    Rig()
    {
        watcher.setAttributionRetryDelay(std::chrono::milliseconds(5));
        for (const SensorUser &u : {zoom, chat, browser})
            processes.addApp(RunningApp{u.pid, u.name, u.appId, false});
        processes.addProcess(me, QStringLiteral("tarnwick"));
        // Two background helpers of the browser.
        processes.addProcess(301, QStringLiteral("browser-audio"), 300, 300);
        processes.addProcess(302, QStringLiteral("browser-video"), 300, 300);
        processes.addProcess(bare.pid, bare.name);
    }
    // A query left at the gate would keep the watcher from being destroyed.
    ~Rig() { finder.releaseAll(); }

    SensorState after(int i) const { return published.at(i).at(1).value<SensorState>(); }
    SensorState last() const { return after(int(published.size()) - 1); }

    // Every attribution run has finished and its result has been handled.
    void settle()
    {
        watcher.waitForAttributions();
        QCoreApplication::sendPostedEvents(&watcher, QEvent::MetaCall);
    }
};

// Processes whose lookups wait until the test lets them through.
struct GatedProcesses : SimProcessDirectory {
    mutable QSemaphore gate;
    std::optional<RunningApp> runningApp(qint32 pid) const override
    {
        gate.acquire();
        gate.release();
        return SimProcessDirectory::runningApp(pid);
    }
};

} // namespace

class TestSensorWatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startPublishesOnceAndOnlyOnce()
    {
        Rig rig;
        rig.watcher.start();
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 1);
        QCOMPARE(rig.cameras.startCalls, 1);
        // Listeners installed once: one publication per change.
        rig.audio.addCapture(seenCapture(1, zoom.pid));
        rig.cameras.open();
        rig.settle();
        QCOMPARE(rig.published.size(), 3);
    }

    void startWhileInUsePublishesTheCameraThenTheListeners()
    {
        Rig rig;
        rig.cameras.open();
        rig.audio.setCaptures({seenCapture(1, zoom.pid)});
        rig.finder.setClients({chat.pid});
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 1);
        QCOMPARE(rig.after(0), cameraState({}));
        // Both namings run off the main thread, in either order.
        rig.settle();
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), (SensorState{true, true, {chat}, {zoom}}));
    }

    void cameraOnIsNamedInASecondPublicationNeverAsItself()
    {
        Rig rig;
        // Newest first: itself, a helper, its app, an exited client, a bare
        // process; a client claiming to be this process, and one that says nothing.
        const auto vouched = [](qint32 pid) { return ClientClaim{pid, pid, {}, {}, {}}; };
        rig.finder.setClaims(
            {vouched(me), vouched(302), vouched(browser.pid), vouched(999), vouched(bare.pid),
             ClientClaim{me, 0, {}, QStringLiteral("spy"), QStringLiteral("/usr/bin/spy")}, ClientClaim{}});
        rig.watcher.start();
        rig.cameras.open();
        QCOMPARE(rig.after(1), cameraState({}));
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.after(2), cameraState({browser, bare, SensorUser{0, QStringLiteral("spy"), {}},
                                            SensorUser{0, QStringLiteral("Unnamed app"), {}}}));

        // A second opener, or a repeated event, changes nothing and asks nobody.
        rig.finder.setClients({chat.pid});
        rig.cameras.open();
        rig.cameras.announce();
        rig.settle();
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.finder.queries(), 1);
        rig.cameras.close();
        QCOMPARE(rig.published.size(), 3);
        rig.cameras.close();
        QCOMPARE(rig.last(), SensorState{});
    }

    void aStaleAttributionIsDropped()
    {
        Rig rig;
        rig.finder.hold();
        rig.watcher.start();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        rig.cameras.close();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(2));
        // The first run answers with the app that has gone; the second with the new one.
        rig.finder.setClients({zoom.pid});
        QVERIFY(rig.finder.releaseOne());
        rig.finder.setClients({chat.pid});
        QVERIFY(rig.finder.releaseOne());
        rig.settle();
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.last(), cameraState({chat}));

        // An answer for a camera that has gone off names nobody.
        rig.cameras.close();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        rig.cameras.close();
        rig.finder.releaseAll();
        rig.settle();
        QCOMPARE(rig.published.size(), 8);
        QCOMPARE(rig.watcher.state(), SensorState{});
    }

    void findingOnlyItselfAsksOnceMoreAfterTheDelay()
    {
        Rig rig;
        rig.finder.hold();
        rig.finder.setClients({me});
        rig.watcher.start();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        QVERIFY(rig.finder.releaseOne());
        QVERIFY(rig.finder.waitForHeld(1));
        rig.finder.setClients({me, zoom.pid});
        QVERIFY(rig.finder.releaseOne());
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), cameraState({zoom}));

        // Nobody the second time either: the camera stays on, unnamed.
        rig.cameras.close();
        rig.finder.releaseAll();
        rig.finder.setClients({me});
        rig.cameras.open();
        rig.settle();
        QCOMPARE(rig.finder.queries(), 4);
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.watcher.state(), cameraState({}));
    }

    void micUsersAreOnePerAppInStreamOrderAndPublishedOnlyOnChange()
    {
        Rig rig;
        rig.watcher.start();
        // Two helpers of one app are one user. A stream whose pid leads
        // nowhere, or that claims to be this process, is named by its client;
        // two such are one user only when they have the same name.
        const SensorUser ghost{0, QStringLiteral("ghost"), QString()};
        rig.audio.setCaptures({seenCapture(9, zoom.pid), seenCapture(7, 301), seenCapture(5, 302),
                               seenCapture(6, bare.pid), claimedCapture(8, 777, ghost.name),
                               claimedCapture(11, me, ghost.name, QStringLiteral("recorder")),
                               claimedCapture(12, me, QStringLiteral("x"), QStringLiteral("recorder"))});
        // Named off the main thread, and published once with every name.
        QCOMPARE(rig.published.size(), 1);
        rig.settle();
        QCOMPARE(rig.published.size(), 2);
        const SensorUser x{0, QStringLiteral("x"), QString()};
        QCOMPARE(rig.last(), (SensorState{false, true, {}, {browser, bare, ghost, zoom, x}}));
        rig.audio.addCapture(seenCapture(10, zoom.pid));
        rig.audio.removeCapture(11);
        rig.settle();
        QCOMPARE(rig.published.size(), 2);
        rig.audio.setCaptures({});
        QCOMPARE(rig.published.size(), 3);
        // A simulated micOn without users is news to the next recomputation.
        rig.watcher.simulate(SensorState{false, true, {}, {}});
        rig.audio.setCaptures({});
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.last(), SensorState{});
    }

    void aSlowNamingNeverHidesTheMicrophone()
    {
        SimSensorSources sim;
        GatedProcesses processes;
        processes.addApp(RunningApp{zoom.pid, zoom.name, zoom.appId, false});
        SensorWatcher watcher({sim.audio, sim.cameras, sim.finder, processes}, me);
        watcher.setMicNamingBound(std::chrono::milliseconds(20));
        watcher.start();
        AudioCapture capture = claimedCapture(1, zoom.pid, QStringLiteral("zoom"), QStringLiteral("zoom"));
        capture.hostPid = zoom.pid;
        sim.audio.setCaptures({capture});
        // Shown by its client's words while the lookup hangs, then by its app.
        QTRY_COMPARE(watcher.state(), (SensorState{false, true, {}, {{0, QStringLiteral("zoom"), {}}}}));
        processes.gate.release();
        QTRY_COMPARE(watcher.state(), (SensorState{false, true, {}, {zoom}}));
    }

    void resyncKeepsSimulatedCameraUsers()
    {
        Rig rig;
        rig.watcher.start();
        rig.cameras.open();
        rig.settle();
        const int queries = rig.finder.queries();
        // Published as given, invariants or not.
        const SensorState made{true, true, {chat}, {zoom}};
        rig.watcher.simulate(made);
        QCOMPARE(rig.last(), made);
        rig.audio.setCaptures({seenCapture(1, browser.pid)});
        rig.settle();
        const int before = int(rig.published.size());

        rig.watcher.resync();
        QCOMPARE(rig.published.size(), before + 2);
        QCOMPARE(rig.after(before), cameraState({chat}));
        QCOMPARE(rig.last(), (SensorState{true, true, {chat}, {browser}}));
        rig.settle();
        QCOMPARE(rig.finder.queries(), queries);

        rig.cameras.close();
        rig.audio.setCaptures({});
        rig.watcher.simulate(made);
        rig.watcher.resync();
        QCOMPARE(rig.last(), SensorState{});
    }
};

QTEST_GUILESS_MAIN(TestSensorWatcher)
#include "test_sensor_watcher.moc"
