// The privacy switch of the hub over simulated services: the microphone half
// with its notes, the camera half with its trusted apps and development-build
// rule, asking camera users to quit, and the quiet microphone.
#include "DefaultsStore.h"
#include "Hub.h"
#include "MicGuard.h"
#include "SimAppTerminator.h"
#include "SimCameraPermissionStore.h"
#include "SimInputDeviceControl.h"
#include "SimQuietMicDriver.h"
#include "SimSensorSources.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

namespace {

const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
const SensorUser chat{200, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat")};
const SensorUser bare{300, QStringLiteral("ffmpeg"), QString()};
const InputDevice builtIn{QStringLiteral("alsa_input.builtin"), QStringLiteral("Built-in Microphone"), false, {40000, 40000}};

AppInfo build(const QString &appId)
{
    return AppInfo{appId, QStringLiteral("1.0"), {}, true, false};
}

struct Rig : SimSensorSources {
    DefaultsStore defaults;
    SimInputDeviceControl inputs;
    SimQuietMicDriver quietMic;
    std::shared_ptr<SimCameraPermissionStore> store = std::make_shared<SimCameraPermissionStore>();
    SimAppTerminator terminator;
    std::unique_ptr<Hub> hub;
    std::unique_ptr<QSignalSpy> notes;

    explicit Rig(const AppInfo &info = build(QStringLiteral("dev.orvane.Tarnwick")),
                 const QProcessEnvironment &env = QProcessEnvironment())
    {
        inputs.putDevice(builtIn);
        quietMic.inputs = {builtIn.uid, QStringLiteral("headset")};
        quietMic.chooseDefaultInput(builtIn.uid);
        makeHub(info, env);
    }
    void makeHub(const AppInfo &info, const QProcessEnvironment &env)
    {
        HubServices services;
        services.sensors = std::make_unique<SensorWatcher>(sources(), 1);
        services.inputDevices = &inputs;
        services.quietMic = &quietMic;
        services.cameraPermissions = store;
        services.appTerminator = &terminator;
        services.environment = env;
        hub.reset();
        hub = std::make_unique<Hub>(defaults, info, std::move(services));
        notes = std::make_unique<QSignalSpy>(hub.get(), &Hub::note);
    }
    InputDevice input() const { return inputs.device(builtIn.uid).value_or(InputDevice{}); }
    QStringList lastNotes() const
    {
        QStringList texts;
        for (const QList<QVariant> &args : *notes)
            texts.append(args.first().toString());
        return texts;
    }
};

void addCameraApps(SimCameraPermissionStore &store)
{
    store.addApp({QStringLiteral("org.b.Meet"), QStringLiteral("Meet")});
    store.addApp({QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("Tarnwick")});
    store.addApp({QStringLiteral("org.a.Trusted"), QStringLiteral("Trusted")});
    store.addApp({QStringLiteral("org.c.Cam"), QStringLiteral("a camera app")});
}

} // namespace

class TestHubSwitch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void microphoneOffSilencesAndOnGivesBack()
    {
        Rig rig;
        rig.hub->setMicOff(true);
        QVERIFY(rig.hub->micGuard()->isOn());
        QVERIFY(MicGuard::isSilent(rig.input()));
        QVERIFY(rig.defaults.boolValue(QStringLiteral("MicOff")));

        InputDevice raised = rig.input();
        raised.mute = false;
        raised.volumes = {50000, 50000};
        rig.inputs.putDevice(raised);
        QVERIFY(MicGuard::isSilent(rig.input()));
        QCOMPARE(rig.lastNotes(),
                 QStringList({QStringLiteral("Built-in Microphone was turned up — Tarnwick silenced it again.")}));

        rig.hub->setMicOff(false);
        QCOMPARE(rig.input(), builtIn);
        QVERIFY(!rig.defaults.boolValue(QStringLiteral("MicOff"), true));
    }

    void startPutsTheSwitchBack()
    {
        Rig rig;
        rig.hub->setMicOff(true);
        // Killed while on: the next run starts with the switch still off…
        rig.makeHub(build(QStringLiteral("dev.orvane.Tarnwick")), {});
        QVERIFY(!rig.hub->micOff());
        rig.hub->start();
        QVERIFY(rig.hub->micOff());
        QVERIFY(rig.hub->micGuard()->isOn());
        QCOMPARE(rig.quietMic.startCalls, 1);

        // The audio server is still being connected to at start: no note about it.
        rig.inputs.setAvailable(false);
        rig.makeHub(build(QStringLiteral("dev.orvane.Tarnwick")), {});
        rig.hub->start();
        QVERIFY(rig.hub->micOff());
        QCOMPARE(rig.notes->count(), 0);
        rig.inputs.setAvailable(true);
        QVERIFY(MicGuard::isSilent(rig.input()));

        // …or, switched back on in the settings, gives the levels back.
        rig.defaults.setValue(QStringLiteral("MicOff"), false);
        rig.makeHub(build(QStringLiteral("dev.orvane.Tarnwick")), {});
        rig.hub->start();
        QVERIFY(!rig.hub->micGuard()->isOn());
        QCOMPARE(rig.input(), builtIn);
    }

    void withoutAnAudioServerTheSwitchStillHolds()
    {
        Rig rig;
        rig.inputs.setAvailable(false);
        rig.hub->setMicOff(true);
        QVERIFY(rig.hub->micOff());
        QVERIFY(rig.defaults.boolValue(QStringLiteral("MicOff")));
        QCOMPARE(rig.notes->count(), 1);
        QVERIFY(rig.lastNotes().first().startsWith(QStringLiteral("No audio server is running")));

        // The server comes: its inputs are silenced then.
        rig.inputs.setAvailable(true);
        QVERIFY(MicGuard::isSilent(rig.input()));

        rig.inputs.setAvailable(false);
        rig.hub->setMicOff(false);
        QCOMPARE(rig.notes->count(), 2);
        QVERIFY(rig.lastNotes().last().contains(QStringLiteral("levels back")));
        rig.inputs.setAvailable(true);
        QCOMPARE(rig.input(), builtIn);
    }

    void refusedWritesAreNoted()
    {
        Rig rig;
        rig.inputs.refusing.insert(builtIn.uid);
        rig.hub->setMicOff(true);
        QCOMPARE(rig.lastNotes(),
                 QStringList({QStringLiteral("Built-in Microphone could not be silenced: the audio server refused.")}));
        QVERIFY(rig.hub->micOff());
    }

    void cameraOffKeepsTrustedAppsAndItself()
    {
        Rig rig;
        addCameraApps(*rig.store);
        rig.hub->setAllowed(QStringLiteral("org.a.Trusted"), true);
        QSignalSpy changed(rig.hub.get(), &Hub::cameraOffChanged);
        rig.hub->setCameraOff(true);
        QVERIFY(rig.hub->cameraOff());
        QCOMPARE(changed.count(), 1);
        // In the order of the list, which is by name.
        QTRY_COMPARE(rig.store->revoked(), QStringList({QStringLiteral("org.c.Cam"), QStringLiteral("org.b.Meet")}));
        QThreadPool::globalInstance()->waitForDone();

        // Back on restores nothing.
        rig.hub->setCameraOff(false);
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(rig.store->revoked().size(), 2);
        QVERIFY(!rig.defaults.boolValue(QStringLiteral("CameraOff"), true));
    }

    void aDevelopmentBuildResetsOnlyWhenAskedTo()
    {
        {
            Rig rig(build(QStringLiteral("dev.orvane.Tarnwick.dev")));
            addCameraApps(*rig.store);
            rig.hub->setCameraOff(true);
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::processEvents();
            QVERIFY(rig.defaults.boolValue(QStringLiteral("CameraOff")));
            QVERIFY(rig.store->revoked().isEmpty());
        }
        QProcessEnvironment env;
        env.insert(QStringLiteral("TARNWICK_REAL_RESET"), QStringLiteral("1"));
        Rig rig(build(QStringLiteral("dev.orvane.Tarnwick.dev")), env);
        addCameraApps(*rig.store);
        rig.hub->setCameraOff(true);
        // The build's own id and the release id are both kept.
        QTRY_COMPARE(rig.store->revoked(),
                     QStringList({QStringLiteral("org.c.Cam"), QStringLiteral("org.b.Meet"),
                                  QStringLiteral("org.a.Trusted")}));
    }

    void aMissingPermissionStoreIsNoted()
    {
        Rig rig;
        rig.store->setAvailable(false);
        rig.hub->setCameraOff(true);
        QVERIFY(rig.hub->cameraOff());
        QTRY_COMPARE(rig.notes->count(), 1);
        QCOMPARE(rig.lastNotes().first(),
                 QStringLiteral("Camera access could not be taken away: the system’s permission store is not running."));
    }

    void newCameraUsersAreAskedToQuitOnce()
    {
        Rig rig;
        rig.hub->setAllowed(zoom.bundleID, true);
        rig.hub->setAutoQuitWhenOff(true);
        rig.hub->setCameraOff(true);
        rig.hub->sensors()->simulate(SensorState{true, false, {zoom, chat}, {}});
        rig.hub->sensors()->simulate(SensorState{true, false, {zoom, chat, bare}, {}});
        rig.hub->sensors()->simulate(SensorState{true, false, {chat, bare}, {}});
        QCOMPARE(rig.terminator.terminated, QList<qint32>({chat.pid, bare.pid}));

        // Not while the app's own preview holds the camera, nor with auto-quit off.
        rig.terminator.terminated.clear();
        rig.hub->sensors()->simulate(SensorState{});
        rig.hub->sensors()->setOwnCameraUse(true);
        rig.hub->sensors()->simulate(SensorState{true, false, {chat}, {}});
        rig.hub->sensors()->setOwnCameraUse(false);
        rig.hub->sensors()->simulate(SensorState{});
        rig.hub->setAutoQuitWhenOff(false);
        rig.hub->sensors()->simulate(SensorState{true, false, {chat}, {}});
        // Demonstrations never quit anything.
        rig.hub->setAutoQuitWhenOff(true);
        rig.hub->setSimulating(true);
        rig.hub->sensors()->simulate(SensorState{});
        rig.hub->sensors()->simulate(SensorState{true, false, {chat}, {}});
        QVERIFY(rig.terminator.terminated.isEmpty());
    }

    void whiteNoiseTakesTheDefaultInputAndGivesItBack()
    {
        Rig rig;
        QVERIFY(rig.hub->offersWhiteNoise());
        rig.hub->setMicSound(Hub::MicSound::WhiteNoise);
        std::optional<QString> answer = QStringLiteral("not answered");
        rig.hub->installQuietMic([&answer](const std::optional<QString> &error) { answer = error; });
        QCOMPARE(answer, std::nullopt);
        QVERIFY(rig.hub->quietMicInstalled());
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid); // not while the microphone is on

        rig.hub->setMicOff(true);
        QCOMPARE(rig.quietMic.defaultInput(), QStringLiteral("TarnwickQuietMic_UID"));
        QVERIFY(rig.quietMic.noise);
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("QuietMicPreviousDefaultInput")), builtIn.uid);
        // Activating again keeps the first remembered input.
        rig.hub->setMicOff(true);
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("QuietMicPreviousDefaultInput")), builtIn.uid);
        // The quiet microphone is never silenced.
        QCOMPARE(rig.hub->micGuard()->isOn(), true);

        rig.hub->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        QVERIFY(!rig.quietMic.noise);
        QVERIFY(!rig.defaults.contains(QStringLiteral("QuietMicPreviousDefaultInput")));

        // The user picked another input meanwhile: left as chosen.
        rig.hub->setMicOff(true);
        rig.quietMic.chooseDefaultInput(QStringLiteral("headset"));
        rig.hub->setMicOff(false);
        QCOMPARE(rig.quietMic.defaultInput(), QStringLiteral("headset"));
        QVERIFY(!rig.defaults.contains(QStringLiteral("QuietMicPreviousDefaultInput")));

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
        rig.quietMic.removeError = QStringLiteral("cannot write the audio server's settings");
        QCOMPARE(rig.hub->removeQuietMic(), std::optional<QString>(rig.quietMic.removeError));
        QVERIFY(!rig.hub->quietMicInstalled());
        QCOMPARE(rig.hub->micSound(), Hub::MicSound::Silence);
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("MicSound")), QStringLiteral("silence"));
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
    }

    void installAnswers()
    {
        Rig rig;
        rig.quietMic.installError = QStringLiteral("the audio server refused: no such module");
        std::optional<QString> answer;
        rig.hub->installQuietMic([&answer](const std::optional<QString> &error) { answer = error; });
        QCOMPARE(answer, std::optional<QString>(rig.quietMic.installError));
        QVERIFY(!rig.hub->quietMicInstalled());

        // Taken by the server but listed only a moment later: the answer waits for it.
        rig.quietMic.installError.clear();
        rig.quietMic.listsLater = true;
        bool answered = false;
        rig.hub->installQuietMic([&](const std::optional<QString> &error) {
            answered = true;
            answer = error;
        });
        QVERIFY(!answered);
        rig.quietMic.listNow();
        QVERIFY(answered);
        QCOMPARE(answer, std::nullopt);
        QVERIFY(rig.hub->quietMicInstalled());
    }

    void aKilledRunsDefaultInputIsPutBack()
    {
        Rig rig;
        rig.quietMic.listNow();
        rig.quietMic.chooseDefaultInput(QStringLiteral("TarnwickQuietMic_UID"));
        rig.defaults.setValue(QStringLiteral("QuietMicPreviousDefaultInput"), builtIn.uid);
        rig.quietMic.setAvailable(false);
        rig.makeHub(build(QStringLiteral("dev.orvane.Tarnwick")), {});
        rig.hub->start();
        // Nothing is judged before the server's state is known.
        QCOMPARE(rig.defaults.stringValue(QStringLiteral("QuietMicPreviousDefaultInput")), builtIn.uid);
        rig.quietMic.setAvailable(true);
        QCOMPARE(rig.quietMic.defaultInput(), builtIn.uid);
        QVERIFY(!rig.defaults.contains(QStringLiteral("QuietMicPreviousDefaultInput")));
    }
};

QTEST_GUILESS_MAIN(TestHubSwitch)
#include "test_hub_switch.moc"
