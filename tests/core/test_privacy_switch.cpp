#include "CameraReset.h"
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "PrivacySwitch.h"
#include "Samples.h"
#include "Settings.h"
#include "SimCameraPermissionStore.h"
#include "SimInputDeviceControl.h"
#include "SimQuietMicDriver.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <semaphore>

namespace {

// A permission store that answers only when told to.
struct HungStore : SimCameraPermissionStore {
    bool isAvailable() const override
    {
        asked.release();
        answer.acquire();
        return false;
    }
    mutable std::binary_semaphore asked{0}, answer{0};
};

const InputDevice builtIn{
    QStringLiteral("alsa_input.builtin"), QStringLiteral("Built-in Microphone"), false, {40000, 40000}};
const QString quietUid = QStringLiteral("TarnwickQuietMic_UID");
const QString previousInput = QStringLiteral("QuietMicPreviousDefaultInput");
const AppInfo whiteNoiseBuild = build(QStringLiteral("dev.orvane.Tarnwick"), true);

struct Rig {
    DefaultsStore defaults;
    std::unique_ptr<Settings> settings;
    SimInputDeviceControl inputs;
    SimQuietMicDriver quietMic;
    std::shared_ptr<SimCameraPermissionStore> store = std::make_shared<SimCameraPermissionStore>();
    std::unique_ptr<PrivacySwitch> privacy;
    QStringList notes; // of the current run

    explicit Rig(const AppInfo &info = whiteNoiseBuild, const QProcessEnvironment &env = {})
    {
        inputs.putDevice(builtIn);
        quietMic.inputs = {builtIn.uid, QStringLiteral("headset")};
        quietMic.chooseDefaultInput(builtIn.uid);
        for (const auto &[id, name] : {std::pair{"org.b.Meet", "Meet"},
                                       {"dev.orvane.Tarnwick", "Tarnwick"},
                                       {"org.a.Trusted", "Trusted"},
                                       {"org.c.Cam", "a camera app"}})
            store->addApp({QLatin1String(id), QLatin1String(name)});
        restart(info, env);
    }
    // A new run of the app over the same settings and services.
    void restart(const AppInfo &info = whiteNoiseBuild, const QProcessEnvironment &env = {})
    {
        privacy.reset();
        settings = std::make_unique<Settings>(defaults);
        privacy =
            std::make_unique<PrivacySwitch>(*settings, info, PrivacyServices{&inputs, &quietMic, store, env});
        notes.clear();
        QObject::connect(privacy.get(), &PrivacySwitch::note, privacy.get(),
                         [this](const QString &n) { notes.append(n); });
    }
    InputDevice input() const { return inputs.device(builtIn.uid).value_or(InputDevice{}); }
    void useWhiteNoise()
    {
        privacy->setMicSound(PrivacySwitch::MicSound::WhiteNoise);
        privacy->installQuietMic([](const std::optional<QString> &) {});
    }
};

} // namespace

class TestPrivacySwitch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A run killed while off silences again at the next start: test_switch_app.
    void anAudioServerStillConnectingAtStartIsNoNews()
    {
        Rig rig;
        rig.privacy->setMicOff(true);
        rig.inputs.setAvailable(false);
        rig.restart();
        rig.privacy->start();
        QVERIFY(rig.privacy->micOff());
        QCOMPARE(rig.notes.size(), 0);
    }

    void microphoneTroubleBecomesANote()
    {
        Rig rig;
        rig.privacy->setMicOff(true);
        rig.inputs.putDevice(builtIn); // turned up
        rig.privacy->setMicOff(false);
        rig.inputs.refusing.insert(builtIn.uid);
        rig.privacy->setMicOff(true);
        QCOMPARE(rig.notes,
                 QStringList({"Built-in Microphone was turned up — Tarnwick silenced it again.",
                              "Built-in Microphone could not be silenced: the audio server refused."}));
        rig.privacy->setMicOff(false);
        rig.inputs.refusing.clear();

        // Without an audio server the switch still holds, and acts once the server is there.
        rig.notes.clear();
        rig.inputs.setAvailable(false);
        rig.privacy->setMicOff(true);
        QVERIFY(rig.defaults.boolValue(QStringLiteral("MicOff")));
        QVERIFY(rig.notes.first().startsWith(QStringLiteral("No audio server is running")));
        rig.inputs.setAvailable(true);
        QVERIFY(MicGuard::isSilent(rig.input()));
        rig.inputs.setAvailable(false);
        rig.privacy->setMicOff(false);
        QCOMPARE(rig.notes.size(), 2);
        QVERIFY(rig.notes.last().contains(QStringLiteral("levels back")));
        rig.inputs.setAvailable(true);
        QCOMPARE(rig.input(), builtIn);
    }

    void cameraOffTakesAccessFromAllButTheKeptApps_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<bool>("realReset");
        QTest::addColumn<QStringList>("revoked");
        // In the order of the store's list, which is by name.
        const QStringList others{"org.c.Cam", "org.b.Meet"};
        QTest::newRow("release build") << "dev.orvane.Tarnwick" << false << others;
        QTest::newRow("development build") << "dev.orvane.Tarnwick.dev" << false << QStringList{};
        // Its own id and the release id are both kept.
        QTest::newRow("development build, TARNWICK_REAL_RESET=1")
            << "dev.orvane.Tarnwick.dev" << true << others;
    }
    void cameraOffTakesAccessFromAllButTheKeptApps()
    {
        QFETCH(QString, appId);
        QFETCH(bool, realReset);
        QFETCH(QStringList, revoked);
        QProcessEnvironment env;
        if (realReset)
            env.insert(QStringLiteral("TARNWICK_REAL_RESET"), QStringLiteral("1"));
        Rig rig(build(appId), env);
        rig.settings->allowList.set({QStringLiteral("org.a.Trusted")});
        rig.privacy->setCameraOff(true);
        QTRY_COMPARE(rig.store->revoked(), revoked);
        // Back on restores nothing.
        rig.privacy->setCameraOff(false);
        QCOMPARE(rig.store->revoked(), revoked);
    }

    // Quitting waits for Qt's shared pool; a store that never answers must not be on it.
    void aHungPermissionStoreDoesNotHoldUpQuitting()
    {
        const auto store = std::make_shared<HungStore>();
        CameraReset reset(store);
        reset.takeAccessFromAllBut({});
        QVERIFY(store->asked.try_acquire_for(std::chrono::seconds(5)));
        QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        store->answer.release();
    }

    void aMissingPermissionStoreIsNoted()
    {
        Rig rig;
        rig.store->setAvailable(false);
        rig.privacy->setCameraOff(true);
        QTRY_COMPARE(
            rig.notes,
            QStringList({"Camera access could not be taken away: the system’s permission store is not "
                         "running."}));
    }

    void whiteNoiseTakesTheDefaultInputWhileOff()
    {
        Rig rig;
        rig.useWhiteNoise();
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid); // not while the microphone is on
        rig.privacy->setMicOff(true);
        QCOMPARE(rig.quietMic.defaultInput(), quietUid);
        rig.privacy->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        // The user picked another input meanwhile: left as chosen.
        rig.privacy->setMicOff(true);
        rig.quietMic.chooseDefaultInput(QStringLiteral("headset"));
        rig.privacy->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), QStringLiteral("headset"));
        // Choosing silence while off gives the input back at once.
        rig.quietMic.chooseDefaultInput(builtIn.uid);
        rig.privacy->setMicOff(true);
        rig.privacy->setMicSound(PrivacySwitch::MicSound::Silence);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
    }

    void removingTheQuietMicrophoneFallsBackToSilence()
    {
        Rig rig;
        rig.useWhiteNoise();
        rig.privacy->setMicOff(true);
        rig.quietMic.removeProblem = {QuietMicProblem::Code::FileNotRemoved, QStringLiteral("/c/x.conf"), {}};
        QCOMPARE(
            rig.privacy->removeQuietMic(),
            QStringLiteral("The quiet microphone’s setting in /c/x.conf could not be changed: it cannot be "
                           "removed"));
        QVERIFY(!rig.privacy->quietMicInstalled());
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("MicSound")), QStringLiteral("silence"));
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);

        // White noise stored by a build that offers it reads as silence in one that does not.
        rig.privacy->setMicSound(PrivacySwitch::MicSound::WhiteNoise);
        rig.restart(build());
        QCOMPARE(rig.privacy->micSound(), PrivacySwitch::MicSound::Silence);
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("MicSound")), QStringLiteral("silence"));
    }

    void aKilledRunsDefaultInputIsPutBack()
    {
        Rig rig;
        rig.quietMic.listNow();
        rig.quietMic.chooseDefaultInput(quietUid);
        rig.defaults.setValue(previousInput, builtIn.uid);
        rig.quietMic.setAvailable(false);
        rig.restart();
        rig.privacy->start();
        // Nothing is judged before the server's state is known.
        QCOMPARE(rig.defaults.stringValue(previousInput), builtIn.uid);
        rig.quietMic.setAvailable(true);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        QVERIFY(!rig.defaults.contains(previousInput));
    }
    // The big switch turning both halves is test_privacy_view's; the D-Bus properties, which
    // hide repeats themselves, test_dbus_interface's.
    void theMicHalfSignalsOnlyAChange()
    {
        Rig rig;
        QSignalSpy micChanges(rig.privacy.get(), &PrivacySwitch::micOffChanged);
        for (const bool off : {false, true, true})
            rig.privacy->setMicOff(off);
        QCOMPARE(micChanges.size(), 1);
    }

    void guardNotesAtMostOnceAMinutePerDevice()
    {
        Rig rig;
        QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        rig.privacy->setClock([&now] { return now; });
        const QString mic = QStringLiteral("Built-in Microphone");
        for (int i = 0; i < 3; ++i, now = now.addSecs(20))
            rig.privacy->guardReapplied(mic);
        rig.privacy->guardReapplied(QStringLiteral("USB Mic")); // another device has its own minute
        QCOMPARE(rig.notes.size(), 2);
        now = now.addSecs(1); // 61 s after the first note
        rig.privacy->guardReapplied(mic);
        QCOMPARE(rig.notes.size(), 3);
    }

    void aQuitGivesEveryInputBackAndKeepsTheSwitch()
    {
        Rig rig;
        rig.useWhiteNoise();
        rig.privacy->setMicOff(true);
        // The levels coming back with the switch kept are test_switch_app's.
        rig.privacy->giveBack();
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);

        // What the server has not confirmed by then stays recorded for the next start.
        rig.restart();
        rig.privacy->start();
        rig.inputs.holdAcks = true;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("did not confirm every microphone")));
        rig.privacy->giveBack();
        QVERIFY(!MicGuardRecords::read(rig.defaults).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPrivacySwitch)
#include "test_privacy_switch.moc"
