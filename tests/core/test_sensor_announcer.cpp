#include "SensorAnnouncer.h"
#include "SimSensorSources.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct Rig : SimHub {
    bool panelOpen = false;
    bool bannerShowing = false;
    SensorAnnouncer announcer{sensors,
                              settings,
                              privacy,
                              {[this] { return panelOpen; }, [this] { return bannerShowing; },
                               [](const SensorUser &user) { return user.appId; }}};
    QSignalSpy announced{&announcer, &SensorAnnouncer::announce};
    QSignalSpy replaced{&announcer, &SensorAnnouncer::replaceBanner};
    QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);

    Rig()
    {
        announcer.setClock([this] { return now; });
        QObject::connect(&sensors, &SensorModel::changed, &announcer, &SensorAnnouncer::sensorsChanged);
    }
    Banner lastBanner() const { return announced.constLast().at(0).value<Banner>(); }
    QString lastTitle() const { return lastBanner().title; }
};

} // namespace

Q_DECLARE_METATYPE(Banner)

class TestSensorAnnouncer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<Banner>(); }

    void aMicUserIsAnnouncedOncePerTenMinutes()
    {
        Rig rig;
        rig.announcer.sensorsChanged(micState({}), micState({zoom}));
        QCOMPARE(rig.lastTitle(), QStringLiteral("Zoom is using the microphone"));
        QCOMPARE(rig.lastBanner().color, HaloColor::mic);
        QVERIFY(!rig.lastBanner().subtitle);
        // Only the first newcomer is shown, but all of them count as announced.
        rig.announcer.sensorsChanged(micState({zoom}), micState({zoom, chat, bare}));
        QCOMPARE(rig.lastTitle(), QStringLiteral("Chat is using the microphone"));
        rig.announcer.sensorsChanged(micState({}), micState({bare}));
        QCOMPARE(rig.announced.size(), 2);
        // Bare processes are keyed by name, apps by id: a same-named app is someone else.
        const SensorUser namesake{401, bare.name, QStringLiteral("org.x")};
        rig.announcer.sensorsChanged(micState({}), micState({namesake}));
        QCOMPARE(rig.announced.size(), 3);

        rig.now = rig.now.addSecs(599);
        rig.announcer.sensorsChanged(micState({}), micState({zoom}));
        QCOMPARE(rig.announced.size(), 3);
        rig.now = rig.now.addSecs(2); // 601 s after the first banner
        rig.announcer.sensorsChanged(micState({}), micState({zoom}));
        QCOMPARE(rig.announced.size(), 4);
    }

    void nothingIsAnnouncedWhileSwitchedOffOrThePanelIsOpen()
    {
        Rig rig;
        rig.panelOpen = true;
        rig.announcer.sensorsChanged(micState({}), micState({zoom}));
        rig.panelOpen = false;
        rig.settings.haloForMic.set(false);
        rig.announcer.sensorsChanged(micState({}), micState({chat}));
        rig.settings.haloForMic.set(true);
        rig.settings.announce.set(false);
        rig.announcer.sensorsChanged(SensorState{}, cameraState({zoom}));
        rig.settings.announce.set(true);
        // The app's own camera preview is no news either.
        rig.sensors.watcher()->setOwnCameraUse(true);
        rig.announcer.sensorsChanged(SensorState{}, cameraState({}));
        rig.announcer.sensorsChanged(cameraState({}), cameraState({zoom}));
        QVERIFY(!rig.announcer.hasPendingCameraBanner());
        QCOMPARE(rig.announced.size(), 0);
        // Nothing was marked announced while banners were held back.
        rig.announcer.sensorsChanged(micState({}), micState({zoom}));
        QCOMPARE(rig.announced.size(), 1);
    }

    void aCameraWithoutANameWaitsForAttribution()
    {
        Rig rig;
        rig.announcer.setPendingCameraDelay(10s); // fires only if nothing cancels it
        rig.announcer.sensorsChanged(SensorState{}, cameraState({}));
        QVERIFY(rig.announcer.hasPendingCameraBanner());
        // Attribution arrives (0.3 s later, say): one named banner, the generic one cancelled.
        rig.announcer.sensorsChanged(cameraState({}), cameraState({zoom}));
        QVERIFY(!rig.announcer.hasPendingCameraBanner());
        QCOMPARE(rig.announced.size(), 1);
        QCOMPARE(rig.lastTitle(), QStringLiteral("Zoom is using the camera"));
        QCOMPARE(*rig.lastBanner().subtitle, QStringLiteral("Click to see or turn it off"));

        // On again without a name, then off (0.5 s later, say): no banner at all. The open
        // panel hides the change, so only the next one cancels.
        rig.announcer.sensorsChanged(SensorState{}, cameraState({}));
        rig.panelOpen = true;
        rig.announcer.sensorsChanged(cameraState({}), SensorState{});
        QVERIFY(rig.announcer.hasPendingCameraBanner());
        rig.panelOpen = false;
        rig.announcer.sensorsChanged(SensorState{}, SensorState{});
        QVERIFY(!rig.announcer.hasPendingCameraBanner());
        QCOMPARE(rig.announced.size(), 1);

        // A camera banner is not held back by announce-once (which records it): shown again, in
        // place of the one showing.
        QVERIFY(!rig.announcer.shouldAnnounce(Sensor::Camera, zoom));
        rig.bannerShowing = true;
        rig.announcer.sensorsChanged(SensorState{}, cameraState({zoom}));
        QCOMPARE(rig.replaced.size(), 1);
    }

    void theGenericCameraBannerFiresWhenNobodyIsNamed()
    {
        // The real delay: 0.8 s (a coarse timer may fire 5 % early).
        Rig rig;
        rig.sensors.start();
        QElapsedTimer waited;
        waited.start();
        rig.cameras.open(); // the finder names nobody
        QVERIFY(rig.announced.wait(10000));
        QCOMPARE_GE(waited.elapsed(), 760);
        QCOMPARE(rig.lastTitle(), QStringLiteral("The camera is on"));
        QCOMPARE(*rig.lastBanner().subtitle, QStringLiteral("Click to see which app"));
        QVERIFY(rig.lastBanner().actions.isEmpty());
    }

    void aBlockedCameraOffersQuitAndAllow()
    {
        Rig rig;
        rig.privacy.setCameraOff(true);
        QSignalSpy quit(&rig.announcer, &SensorAnnouncer::quitRequested);
        QSignalSpy ended(&rig.announcer, &SensorAnnouncer::endBanner);
        Banner banner = rig.announcer.cameraBanner({chat, zoom});
        QCOMPARE(banner.color, HaloColor::blocked);
        QCOMPARE(*banner.subtitle, QStringLiteral("Even though you switched it off — quit it to stop it"));
        QCOMPARE(banner.actions.size(), 2);
        QCOMPARE(banner.actions.at(0).title, QStringLiteral("Quit Chat"));
        QCOMPARE(banner.staySeconds(), 7.0); // buttons take longer to reach
        banner.actions.at(0).run();
        QCOMPARE(quit.at(0).at(0).toInt(), chat.pid);
        banner.actions.at(1).run(); // Allow
        QCOMPARE(rig.settings.allowList.value(), QStringList{chat.appId});
        QCOMPARE(ended.size(), 2);

        banner = rig.announcer.cameraBanner({chat});
        QCOMPARE(banner.color, HaloColor::camera);
        QVERIFY(banner.actions.isEmpty());
        QCOMPARE(rig.announcer.cameraBanner({bare}).actions.size(), 1);     // no app id: nothing to allow
        QCOMPARE(rig.announcer.cameraBanner({}).color, HaloColor::blocked); // nobody named yet

        // App names are the apps' own: placeholders in them are not filled in.
        for (const QString name : {"Cam %1%2", "100%@ %d%%", "%n Meet"}) {
            const SensorUser user{404, name, QString()};
            const Banner camera = rig.announcer.cameraBanner({user});
            QCOMPARE(camera.title, name + QStringLiteral(" is using the camera"));
            QCOMPARE(camera.actions.value(0).title, QStringLiteral("Quit ") + name);
            QCOMPARE(rig.announcer.micBanner(user).title, name + QStringLiteral(" is using the microphone"));
        }

        // Subtitles follow the mode: a demonstration says so, over the switch's own words.
        const QString silence = QStringLiteral("It hears silence — the microphone is off");
        const QString example = QStringLiteral("Example — nothing is really on");
        rig.privacy.setMicOff(true);
        QCOMPARE(*rig.announcer.micBanner(zoom).subtitle, silence);
        rig.sensors.setSimulating(true);
        QCOMPARE(*rig.announcer.micBanner(zoom).subtitle, example);
        QCOMPARE(*rig.announcer.cameraBanner({zoom}).subtitle, example);
        rig.sensors.setShowcase(true);
        QCOMPARE(*rig.announcer.micBanner(zoom).subtitle, silence);
    }
};

QTEST_GUILESS_MAIN(TestSensorAnnouncer)
#include "test_sensor_announcer.moc"
