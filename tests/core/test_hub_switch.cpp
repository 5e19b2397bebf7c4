// The privacy switch of the hub over simulated services: the microphone half
// with its notes, the camera half with its trusted apps and development-build
// rule, asking camera users to quit, and the quiet microphone.
#include "MicGuard.h"
#include "SimAppTerminator.h"
#include "SimCameraPermissionStore.h"
#include "SimInputDeviceControl.h"
#include "SimQuietMicDriver.h"
#include "SimSensorSources.h"

#include <QTest>
#include <QThreadPool>

namespace {

const InputDevice builtIn{
    QStringLiteral("alsa_input.builtin"), QStringLiteral("Built-in Microphone"), false, {40000, 40000}};
const QString quietUid = QStringLiteral("TarnwickQuietMic_UID");
const QString previousInput = QStringLiteral("QuietMicPreviousDefaultInput");
const AppInfo whiteNoiseBuild = build(QStringLiteral("dev.orvane.Tarnwick"), true);

struct Rig : SimSensorSources {
    DefaultsStore defaults;
    std::unique_ptr<Settings> settings;
    SimInputDeviceControl inputs;
    SimQuietMicDriver quietMic;
    std::shared_ptr<SimCameraPermissionStore> store = std::make_shared<SimCameraPermissionStore>();
    SimAppTerminator terminator;
    std::unique_ptr<Hub> hub;
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
        HubServices services{
            std::make_unique<SensorWatcher>(sources(), 1), {}, &inputs, &quietMic, store, &terminator, env};
        hub.reset();
        settings = std::make_unique<Settings>(defaults);
        hub = std::make_unique<Hub>(*settings, info, std::move(services));
        notes.clear();
        QObject::connect(hub.get(), &Hub::note, hub.get(), [this](const QString &n) { notes.append(n); });
    }
    InputDevice input() const { return inputs.device(builtIn.uid).value_or(InputDevice{}); }
    void simulate(const QList<SensorUser> &cameraUsers)
    {
        hub->sensors()->simulate(cameraUsers.isEmpty() ? SensorState{} : cameraState(cameraUsers));
    }
};

} // namespace

class TestHubSwitch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startPutsTheSwitchBack()
    {
        Rig rig;
        rig.hub->setMicOff(true);
        // Killed while on: the next run starts with the switch still off…
        rig.restart();
        QVERIFY(!rig.hub->micOff());
        rig.hub->start();
        QVERIFY(rig.hub->micOff());
        QCOMPARE(rig.quietMic.startCalls, 1);

        // The audio server is still being connected to at start: no note about it.
        rig.inputs.setAvailable(false);
        rig.restart();
        rig.hub->start();
        QCOMPARE(rig.notes.size(), 0);
        rig.inputs.setAvailable(true);
        QVERIFY(MicGuard::isSilent(rig.input()));

        // …or, switched back on in the settings, gives the levels back.
        rig.defaults.setValue(QStringLiteral("MicOff"), false);
        rig.restart();
        rig.hub->start();
        QVERIFY(!rig.hub->micGuard()->isOn());
        QCOMPARE(rig.input(), builtIn);
    }

    void microphoneTroubleBecomesANote()
    {
        Rig rig;
        rig.hub->setMicOff(true);
        rig.inputs.putDevice(builtIn); // turned up
        rig.hub->setMicOff(false);
        rig.inputs.refusing.insert(builtIn.uid);
        rig.hub->setMicOff(true);
        QCOMPARE(rig.notes,
                 QStringList({"Built-in Microphone was turned up — Tarnwick silenced it again.",
                              "Built-in Microphone could not be silenced: the audio server refused."}));
        rig.hub->setMicOff(false);
        rig.inputs.refusing.clear();

        // Without an audio server the switch still holds, and acts once the server is there.
        rig.notes.clear();
        rig.inputs.setAvailable(false);
        rig.hub->setMicOff(true);
        QVERIFY(rig.defaults.boolValue(QStringLiteral("MicOff")));
        QCOMPARE(rig.notes.size(), 1);
        QVERIFY(rig.notes.first().startsWith(QStringLiteral("No audio server is running")));
        rig.inputs.setAvailable(true);
        QVERIFY(MicGuard::isSilent(rig.input()));
        rig.inputs.setAvailable(false);
        rig.hub->setMicOff(false);
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
        rig.hub->setCameraOff(true);
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(rig.store->revoked(), revoked);
        // Back on restores nothing.
        rig.hub->setCameraOff(false);
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(rig.store->revoked(), revoked);
    }

    void aMissingPermissionStoreIsNoted()
    {
        Rig rig;
        rig.store->setAvailable(false);
        rig.hub->setCameraOff(true);
        QTRY_COMPARE(
            rig.notes,
            QStringList({"Camera access could not be taken away: the system’s permission store is not "
                         "running."}));
    }

    void newCameraUsersAreAskedToQuitOnce()
    {
        Rig rig;
        rig.settings->allowList.set({zoom.appId});
        rig.settings->autoQuitWhenOff.set(true);
        rig.hub->setCameraOff(true);
        rig.simulate({zoom, chat});
        rig.simulate({zoom, chat, bare});
        rig.simulate({chat, bare});
        QCOMPARE(rig.terminator.terminated, QList<qint32>({chat.pid, bare.pid}));

        // Not while the app's own preview holds the camera, with auto-quit off, or in a demonstration.
        rig.terminator.terminated.clear();
        rig.simulate({});
        rig.hub->sensors()->setOwnCameraUse(true);
        rig.simulate({chat});
        rig.hub->sensors()->setOwnCameraUse(false);
        rig.simulate({});
        rig.settings->autoQuitWhenOff.set(false);
        rig.simulate({chat});
        rig.settings->autoQuitWhenOff.set(true);
        rig.hub->setSimulating(true);
        rig.simulate({});
        rig.simulate({chat});
        QVERIFY(rig.terminator.terminated.isEmpty());
    }

    void whiteNoiseTakesTheDefaultInputWhileOff()
    {
        Rig rig;
        rig.hub->setMicSound(Hub::MicSound::WhiteNoise);
        rig.hub->installQuietMic([](const std::optional<QString> &) {});
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid); // not while the microphone is on
        rig.hub->setMicOff(true);
        QCOMPARE(rig.quietMic.defaultInput(), quietUid);
        QVERIFY(rig.quietMic.noise);
        rig.hub->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        QVERIFY(!rig.quietMic.noise);
        // The user picked another input meanwhile: left as chosen.
        rig.hub->setMicOff(true);
        rig.quietMic.chooseDefaultInput(QStringLiteral("headset"));
        rig.hub->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), QStringLiteral("headset"));
        // Choosing silence while off gives the input back at once.
        rig.quietMic.chooseDefaultInput(builtIn.uid);
        rig.hub->setMicOff(true);
        rig.hub->setMicSound(Hub::MicSound::Silence);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
    }

    void removingTheQuietMicrophoneFallsBackToSilence()
    {
        Rig rig;
        rig.hub->setMicSound(Hub::MicSound::WhiteNoise);
        rig.hub->installQuietMic([](const std::optional<QString> &) {});
        rig.hub->setMicOff(true);
        rig.quietMic.removeProblem = {QuietMicProblem::Code::FileNotRemoved, QStringLiteral("/c/x.conf"), {}};
        QCOMPARE(rig.hub->removeQuietMic(),
                 QStringLiteral("The quiet microphone’s setting in /c/x.conf could not be changed: it cannot be "
                                "removed"));
        QVERIFY(!rig.hub->quietMicInstalled());
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("MicSound")), QStringLiteral("silence"));
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
    }

    void installAnswers()
    {
        Rig rig;
        std::optional<std::optional<QString>> answer;
        const auto keep = [&answer](const std::optional<QString> &error) { answer = error; };
        rig.quietMic.installProblem = {QuietMicProblem::Code::ModuleRefused, {}, QStringLiteral("No such entity")};
        rig.hub->installQuietMic(keep);
        QVERIFY(answer);
        QCOMPARE(*answer, QStringLiteral("The audio server could not add the quiet microphone: No such entity"));
        QVERIFY(!rig.hub->quietMicInstalled());

        // Taken by the server but listed only a moment later: the answer waits for it.
        answer.reset();
        rig.quietMic.installProblem = {};
        rig.quietMic.listsLater = true;
        rig.hub->installQuietMic(keep);
        QVERIFY(!answer);
        rig.quietMic.listNow();
        QVERIFY(answer);
        QCOMPARE(*answer, std::nullopt);
        QVERIFY(rig.hub->quietMicInstalled());
    }

    void aKilledRunsDefaultInputIsPutBack()
    {
        Rig rig;
        rig.quietMic.listNow();
        rig.quietMic.chooseDefaultInput(quietUid);
        rig.defaults.setValue(previousInput, builtIn.uid);
        rig.quietMic.setAvailable(false);
        rig.restart();
        rig.hub->start();
        // Nothing is judged before the server's state is known.
        QCOMPARE(rig.defaults.stringValue(previousInput), builtIn.uid);
        rig.quietMic.setAvailable(true);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        QVERIFY(!rig.defaults.contains(previousInput));
    }
};

QTEST_GUILESS_MAIN(TestHubSwitch)
#include "test_hub_switch.moc"
