#include "SensorWatcher.h"
#include "SimSensorSources.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr qint32 me = 4242;
const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
const SensorUser chat{200, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat")};
const SensorUser browser{300, QStringLiteral("Browser"), QStringLiteral("org.browser.Browser")};

// The watcher on simulated sources, with a spy on what it publishes.
struct Rig : SimSensorSources {
    SensorWatcher watcher{sources(), me};
    QSignalSpy published{&watcher, &SensorWatcher::changed};

    Rig()
    {
        watcher.setAttributionRetryDelay(std::chrono::milliseconds(5));
        for (const SensorUser &u : {zoom, chat, browser})
            processes.addApp(RunningApp{u.pid, u.name, u.bundleID, false});
        processes.addProcess(me, QStringLiteral("tarnwick"));
        // Two background helpers of the browser.
        processes.addProcess(301, QStringLiteral("browser-audio"), 300, 300);
        processes.addProcess(302, QStringLiteral("browser-video"), 300, 300);
        processes.addProcess(400, QStringLiteral("arecord"));
    }
    // A query left at the gate would keep the watcher from being destroyed.
    ~Rig() { finder.releaseAll(); }

    SensorState before(int i) const { return published.at(i).at(0).value<SensorState>(); }
    SensorState after(int i) const { return published.at(i).at(1).value<SensorState>(); }
    SensorState last() const { return after(int(published.size()) - 1); }

    // Every attribution run has finished and its result has been handled.
    void settle()
    {
        watcher.waitForAttributions();
        QCoreApplication::sendPostedEvents(&watcher, QEvent::MetaCall);
    }
};

SensorState cameraState(QList<SensorUser> users)
{
    return SensorState{true, false, std::move(users), {}};
}

} // namespace

class TestSensorWatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startingWithNothingInUsePublishesOneDefaultState()
    {
        Rig rig;
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 1);
        QCOMPARE(rig.before(0), SensorState{});
        QCOMPARE(rig.after(0), SensorState{});
        QCOMPARE(rig.cameras.startCalls, 1);
        QCOMPARE(rig.audio.startCalls, 1);
    }

    void startingTwiceListensOnce()
    {
        Rig rig;
        rig.watcher.start();
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 1);
        QCOMPARE(rig.cameras.startCalls, 1);
        rig.audio.addCapture({1, zoom.pid, {}, {}});
        QCOMPARE(rig.published.size(), 2);
        rig.cameras.open();
        QCOMPARE(rig.published.size(), 3);
    }

    void startPublishesCameraThenListeners()
    {
        Rig rig;
        rig.cameras.open();
        rig.audio.setCaptures({{1, zoom.pid, {}, {}}});
        rig.finder.setClients({chat.pid});
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 2);
        QCOMPARE(rig.after(0), cameraState({}));
        QCOMPARE(rig.after(1), (SensorState{true, true, {}, {zoom}}));
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), (SensorState{true, true, {chat}, {zoom}}));
    }

    void cameraOnIsNamedInASecondPublication()
    {
        Rig rig;
        rig.finder.setClients({zoom.pid});
        rig.watcher.start();
        rig.cameras.open();
        QCOMPARE(rig.published.size(), 2);
        QCOMPARE(rig.after(1), cameraState({}));
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.before(2), cameraState({}));
        QCOMPARE(rig.after(2), cameraState({zoom}));

        // Off clears the users at once.
        rig.cameras.close();
        QCOMPARE(rig.published.size(), 4);
        QCOMPARE(rig.last(), SensorState{});
    }

    void aSecondOpenerChangesNothing()
    {
        Rig rig;
        rig.finder.setClients({zoom.pid});
        rig.watcher.start();
        rig.cameras.open();
        QTRY_COMPARE(rig.published.size(), 3);
        rig.finder.setClients({chat.pid, zoom.pid});
        rig.cameras.open();
        rig.cameras.announce();
        rig.settle();
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.finder.queries(), 1);
        QCOMPARE(rig.watcher.state(), cameraState({zoom}));
    }

    void offAndOnAgainDropsTheStaleAttribution()
    {
        Rig rig;
        rig.finder.hold();
        rig.watcher.start();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        rig.cameras.close();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(2));
        QCOMPARE(rig.published.size(), 4);

        // The first run answers with the app that has gone; the second with the new one.
        rig.finder.setClients({zoom.pid});
        QVERIFY(rig.finder.releaseOne());
        rig.finder.setClients({chat.pid});
        QVERIFY(rig.finder.releaseOne());
        rig.settle();
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.last(), cameraState({chat}));
    }

    void aResultForACameraThatWentOffIsDropped()
    {
        Rig rig;
        rig.finder.hold();
        rig.finder.setClients({zoom.pid});
        rig.watcher.start();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        rig.cameras.close();
        rig.finder.releaseAll();
        rig.settle();
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.watcher.state(), SensorState{});

        // A demonstration that shows the camera off moves no generation.
        rig.finder.hold();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        rig.watcher.simulate(SensorState{});
        rig.finder.releaseAll();
        rig.settle();
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.watcher.state(), SensorState{});
    }

    void ownProcessIsNeverListed()
    {
        Rig rig;
        rig.audio.setCaptures({{1, me, {}, {}}});
        rig.finder.setClients({me, zoom.pid, me});
        rig.watcher.start();
        QCOMPARE(rig.published.size(), 1);
        rig.cameras.open();
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), cameraState({zoom}));
        rig.audio.addCapture({2, me, {}, {}});
        QCOMPARE(rig.published.size(), 3);
    }

    void findingOnlyItselfAsksAgainAfterTheDelay()
    {
        Rig rig;
        rig.finder.hold();
        rig.finder.setClients({me});
        rig.watcher.start();
        rig.cameras.open();
        QVERIFY(rig.finder.waitForHeld(1));
        QVERIFY(rig.finder.releaseOne());
        // The retry arrives at the gate after the delay.
        QVERIFY(rig.finder.waitForHeld(1));
        QCOMPARE(rig.finder.queries(), 2);
        rig.finder.setClients({me, zoom.pid});
        QVERIFY(rig.finder.releaseOne());
        QTRY_COMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), cameraState({zoom}));
    }

    void nobodyFoundTwiceLeavesAnUnnamedCamera()
    {
        Rig rig;
        rig.finder.setClients({me});
        rig.watcher.start();
        rig.cameras.open();
        rig.settle();
        QCOMPARE(rig.finder.queries(), 2);
        QCOMPARE(rig.published.size(), 2);
        QCOMPARE(rig.watcher.state(), cameraState({}));
    }

    void cameraClientsAreResolvedDeduplicatedAndAlive()
    {
        Rig rig;
        // Newest first: a helper, its app, an exited client, a bare process.
        rig.finder.setClients({302, browser.pid, 999, 400, 0, -1});
        rig.watcher.start();
        rig.cameras.open();
        QTRY_COMPARE(rig.published.size(), 3);
        const SensorUser arecord{400, QStringLiteral("arecord"), QString()};
        QCOMPARE(rig.last(), cameraState({browser, arecord}));
    }

    void helpersOfOneAppCaptureAsOneUser()
    {
        Rig rig;
        rig.watcher.start();
        // Listed out of order: users follow the ascending stream ids.
        rig.audio.setCaptures({{9, zoom.pid, {}, {}}, {7, 301, {}, {}}, {5, 302, {}, {}}, {6, 400, {}, {}}});
        QCOMPARE(rig.published.size(), 2);
        const SensorUser arecord{400, QStringLiteral("arecord"), QString()};
        QCOMPARE(rig.last(), (SensorState{false, true, {}, {browser, arecord, zoom}}));
    }

    void sandboxedCaptureIsNamedByItsAppId()
    {
        Rig rig;
        const SensorUser recorder{500, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder")};
        rig.processes.addApp(RunningApp{recorder.pid, recorder.name, recorder.bundleID, false});
        rig.watcher.start();
        // The in-sandbox pid 2 must not be taken for the host's process 2.
        rig.processes.addProcess(2, QStringLiteral("kthreadd"));
        rig.audio.setCaptures({{1, 2, QStringLiteral("org.gnome.Recorder"), {}},
                               {3, 2, QStringLiteral("org.example.NotRunning"), {}}});
        const QString notRunning = QStringLiteral("org.example.NotRunning");
        const SensorUser unknown{2, notRunning, notRunning};
        QCOMPARE(rig.last().micUsers, (QList<SensorUser>{recorder, unknown}));
    }

    void micPublishesOnlyRealChanges()
    {
        Rig rig;
        rig.watcher.start();
        rig.audio.setCaptures({{1, zoom.pid, {}, {}}});
        QCOMPARE(rig.published.size(), 2);
        // The same users again, a stream of the same app, a process nobody can name.
        rig.audio.setCaptures({{1, zoom.pid, {}, {}}});
        rig.audio.addCapture({2, zoom.pid, {}, {}});
        rig.audio.addCapture({3, 777, {}, {}});
        QCOMPARE(rig.published.size(), 2);
        rig.audio.setCaptures({});
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.last(), SensorState{});
        // A simulated micOn without users is real news to the next recomputation.
        rig.watcher.simulate(SensorState{false, true, {}, {}});
        rig.audio.setCaptures({});
        QCOMPARE(rig.published.size(), 5);
        QCOMPARE(rig.last(), SensorState{});
    }

    void simulateIsPublishedAsGiven()
    {
        Rig rig;
        rig.watcher.start();
        const SensorState odd{false, true, {zoom}, {}};
        rig.watcher.simulate(odd);
        rig.watcher.simulate(odd);
        QCOMPARE(rig.published.size(), 3);
        QCOMPARE(rig.after(2), odd);
        QCOMPARE(rig.before(2), odd);
    }

    void resyncKeepsSimulatedCameraUsers()
    {
        Rig rig;
        rig.watcher.start();
        rig.cameras.open();
        rig.settle();
        const int queries = rig.finder.queries();
        rig.watcher.simulate(SensorState{true, true, {chat}, {zoom}});
        rig.audio.setCaptures({{1, browser.pid, {}, {}}});
        const int before = int(rig.published.size());

        rig.watcher.resync();
        QCOMPARE(rig.published.size(), before + 2);
        QCOMPARE(rig.after(before), cameraState({chat}));
        QCOMPARE(rig.last(), (SensorState{true, true, {chat}, {browser}}));
        rig.settle();
        QCOMPARE(rig.finder.queries(), queries);

        rig.cameras.close();
        rig.audio.setCaptures({});
        rig.watcher.simulate(SensorState{true, true, {chat}, {zoom}});
        rig.watcher.resync();
        QCOMPARE(rig.last(), SensorState{});
    }

    void ownCameraUseIsStoredAndAnnounced()
    {
        Rig rig;
        QSignalSpy spy(&rig.watcher, &SensorWatcher::ownCameraUseChanged);
        rig.watcher.setOwnCameraUse(true);
        rig.watcher.setOwnCameraUse(true);
        QVERIFY(rig.watcher.ownCameraUse());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(rig.published.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSensorWatcher)
#include "test_sensor_watcher.moc"
