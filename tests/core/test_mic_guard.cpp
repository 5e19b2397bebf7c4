// The microphone guard over simulated inputs: what it records, how it
// silences and keeps silencing, and that every level comes back exactly.
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "SimInputDeviceControl.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr quint32 sixty = 39322; // 60 % in server steps

InputDevice device(const QString &uid, const QString &name, std::optional<bool> mute, QList<quint32> volumes)
{
    return InputDevice{uid, name, mute, std::move(volumes)};
}

const InputDevice usb = device(QStringLiteral("usb"), QStringLiteral("USB Mic"), false, {sixty});
const InputDevice stereo = device(QStringLiteral("stereo"), QStringLiteral("Line In"), false, {50000, 30000});
const InputDevice muted = device(QStringLiteral("muted"), QStringLiteral("Webcam Mic"), true, {InputDevice::volumeNorm});
const InputDevice quiet = device(QStringLiteral("TarnwickQuietMic_UID"), QStringLiteral("Quiet Microphone"), false,
                                 {InputDevice::volumeNorm});

struct Rig {
    DefaultsStore defaults;
    SimInputDeviceControl inputs;
    MicGuard guard{defaults, inputs};
    QSignalSpy reapplied{&guard, &MicGuard::reapplied};

    explicit Rig(const QList<InputDevice> &devices = {usb, stereo, muted})
    {
        for (const InputDevice &d : devices)
            inputs.putDevice(d);
    }
    InputDevice now(const QString &uid) const { return inputs.device(uid).value_or(InputDevice{}); }
    bool allSilent() const
    {
        const QList<InputDevice> all = inputs.devices();
        return std::all_of(all.cbegin(), all.cend(), [](const InputDevice &d) {
            return d.uid == QLatin1String("TarnwickQuietMic_UID") || MicGuard::isSilent(d);
        });
    }
    QJsonObject stored() const { return defaults.value(QStringLiteral("MicGuardSaved")).toObject(); }
};

QJsonObject savedJson(std::optional<int> mute, const QList<qint64> &pairs)
{
    QJsonObject o;
    if (mute)
        o.insert(QStringLiteral("mute"), *mute);
    QJsonArray volumes;
    for (qint64 v : pairs)
        volumes.append(v);
    o.insert(QStringLiteral("volumes"), volumes);
    return o;
}

} // namespace

class TestMicGuard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordsSilencesAndGivesEveryChannelBack()
    {
        Rig rig;
        rig.guard.turnOn();
        QVERIFY(rig.guard.isOn());
        QVERIFY(rig.allSilent());
        QCOMPARE(rig.now(QStringLiteral("stereo")).volumes, QList<quint32>({0, 0}));
        QCOMPARE(rig.now(QStringLiteral("usb")).mute, std::optional<bool>(true));
        // The stored form: element numbers and integer volumes, alternating.
        QCOMPARE(rig.stored().value(QStringLiteral("usb")).toObject(), savedJson(0, {1, sixty}));
        QCOMPARE(rig.stored().value(QStringLiteral("stereo")).toObject(), savedJson(0, {1, 50000, 2, 30000}));
        QCOMPARE(rig.stored().value(QStringLiteral("muted")).toObject(), savedJson(1, {1, 65536}));

        const int writes = rig.inputs.writes;
        rig.guard.turnOn(); // already on
        QCOMPARE(rig.inputs.writes, writes);

        rig.guard.turnOff();
        QVERIFY(!rig.guard.isOn());
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);
        QCOMPARE(rig.now(QStringLiteral("stereo")), stereo);
        QCOMPARE(rig.now(QStringLiteral("muted")), muted);
        QVERIFY(!rig.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(rig.reapplied.count(), 0);
    }

    void turnedUpIsSilencedAgainAndNamed()
    {
        Rig rig;
        rig.guard.turnOn();
        InputDevice raised = rig.now(QStringLiteral("usb"));
        raised.mute = false;
        raised.volumes = {20000};
        rig.inputs.putDevice(raised);
        QVERIFY(MicGuard::isSilent(rig.now(QStringLiteral("usb"))));
        QCOMPARE(rig.reapplied.count(), 1);
        QCOMPARE(rig.reapplied.first().first().toString(), QStringLiteral("USB Mic"));

        // The first record is the one given back, however often it was silenced.
        rig.guard.turnOff();
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);

        // An input without a readable name is named for what it is.
        Rig unnamed({device(QStringLiteral("x"), QString(), std::nullopt, {sixty})});
        unnamed.guard.turnOn();
        unnamed.inputs.putDevice(device(QStringLiteral("x"), QString(), std::nullopt, {100}));
        QCOMPARE(unnamed.reapplied.count(), 1);
        QCOMPARE(unnamed.reapplied.first().first().toString(), QStringLiteral("Microphone"));
        QCOMPARE(unnamed.now(QStringLiteral("x")).volumes, QList<quint32>({0}));
    }

    void anInputThatStaysSilentIsLeftAlone()
    {
        Rig rig;
        rig.guard.turnOn();
        const int writes = rig.inputs.writes;
        InputDevice unmuted = rig.now(QStringLiteral("stereo"));
        unmuted.mute = false; // every volume still at zero
        rig.inputs.putDevice(unmuted);
        InputDevice louder = rig.now(QStringLiteral("usb"));
        louder.volumes = {sixty}; // still muted
        rig.inputs.putDevice(louder);
        QCOMPARE(rig.inputs.writes, writes);
        QCOMPARE(rig.reapplied.count(), 0);
    }

    void inputsComingAndGoingWhileOn()
    {
        Rig rig;
        rig.guard.turnOn();
        const InputDevice headset = device(QStringLiteral("headset"), QStringLiteral("Headset"), false, {45000, 45000});
        rig.inputs.putDevice(headset);
        QVERIFY(MicGuard::isSilent(rig.now(QStringLiteral("headset"))));
        QCOMPARE(rig.reapplied.count(), 0); // new, not turned up

        // Unplugged: its record stays; plugged in again at full volume: silenced
        // again, and the record still holds the first levels.
        rig.inputs.removeDevice(QStringLiteral("usb"));
        QVERIFY(rig.stored().contains(QStringLiteral("usb")));
        rig.inputs.putDevice(device(QStringLiteral("usb"), QStringLiteral("USB Mic"), false, {InputDevice::volumeNorm}));
        QVERIFY(MicGuard::isSilent(rig.now(QStringLiteral("usb"))));
        QCOMPARE(rig.stored().value(QStringLiteral("usb")).toObject(), savedJson(0, {1, sixty}));

        // Unplugged when the switch goes back on: kept for later, given back
        // as soon as it returns.
        rig.inputs.removeDevice(QStringLiteral("headset"));
        rig.guard.turnOff();
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);
        QCOMPARE(rig.stored().keys(), QStringList({QStringLiteral("headset")}));
        rig.inputs.putDevice(device(QStringLiteral("headset"), QStringLiteral("Headset"), true, {0, 0}));
        QCOMPARE(rig.now(QStringLiteral("headset")), headset);
        QVERIFY(!rig.defaults.contains(QStringLiteral("MicGuardSaved")));
    }

    void leftoversOfAKilledRunAreGivenBack()
    {
        Rig rig(QList<InputDevice>{});
        rig.defaults.setValue(QStringLiteral("MicGuardSaved"),
                              QJsonObject{{QStringLiteral("usb"), savedJson(0, {1, sixty})}});
        // The server's inputs arrive after the start.
        rig.guard.restoreLeftovers();
        QVERIFY(rig.defaults.contains(QStringLiteral("MicGuardSaved")));
        rig.inputs.putDevice(device(QStringLiteral("usb"), QStringLiteral("USB Mic"), true, {0}));
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);
        QVERIFY(!rig.defaults.contains(QStringLiteral("MicGuardSaved")));

        // turnOff while off gives back too; turnOn keeps an old record.
        rig.defaults.setValue(QStringLiteral("MicGuardSaved"),
                              QJsonObject{{QStringLiteral("usb"), savedJson(0, {1, 1234})}});
        rig.guard.turnOn();
        QCOMPARE(rig.stored().value(QStringLiteral("usb")).toObject(), savedJson(0, {1, 1234}));
        rig.guard.turnOff();
        QCOMPARE(rig.now(QStringLiteral("usb")).volumes, QList<quint32>({1234}));
    }

    void theQuietMicrophoneIsNeverTouched()
    {
        Rig rig({usb, quiet});
        rig.guard.turnOn();
        QCOMPARE(rig.now(quiet.uid), quiet);
        QVERIFY(!rig.stored().contains(quiet.uid));
        InputDevice louder = quiet;
        louder.volumes = {2 * InputDevice::volumeNorm};
        rig.inputs.putDevice(louder);
        QCOMPARE(rig.now(quiet.uid), louder);
        QCOMPARE(rig.reapplied.count(), 0);
    }

    void anInputWithoutControlsIsRecordedButNeverReported()
    {
        Rig rig({device(QStringLiteral("fixed"), QStringLiteral("Fixed"), std::nullopt, {})});
        rig.guard.turnOn();
        QCOMPARE(rig.stored().value(QStringLiteral("fixed")).toObject(), savedJson(std::nullopt, {}));
        rig.inputs.putDevice(device(QStringLiteral("fixed"), QStringLiteral("Fixed!"), std::nullopt, {}));
        QCOMPARE(rig.reapplied.count(), 0);
        rig.guard.turnOff();
        QVERIFY(!rig.defaults.contains(QStringLiteral("MicGuardSaved")));
    }

    void damagedRecords_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("text") << QJsonValue(QStringLiteral("{\"usb\":"));
        QTest::newRow("entry not an object") << QJsonValue(QJsonObject{{QStringLiteral("usb"), 5}});
        QTest::newRow("odd volumes") << QJsonValue(QJsonObject{{QStringLiteral("usb"), savedJson(0, {1})}});
        QTest::newRow("negative volume")
            << QJsonValue(QJsonObject{{QStringLiteral("usb"), savedJson(0, {1, -5})}});
        QTest::newRow("fractional element")
            << QJsonValue(QJsonObject{
                   {QStringLiteral("usb"), QJsonObject{{QStringLiteral("volumes"), QJsonArray{1.5, 10}}}}});
        QTest::newRow("mute 2") << QJsonValue(QJsonObject{{QStringLiteral("usb"), savedJson(2, {1, 10})}});
        QTest::newRow("no volumes")
            << QJsonValue(QJsonObject{{QStringLiteral("usb"), QJsonObject{{QStringLiteral("mute"), 0}}}});
    }

    void damagedRecords()
    {
        QFETCH(QJsonValue, value);
        Rig rig;
        rig.defaults.setValue(QStringLiteral("MicGuardSaved"), value);
        rig.guard.restoreLeftovers();
        QCOMPARE(rig.inputs.writes, 0);
        // Kept aside, never overwritten by what the guard records next.
        QCOMPARE(rig.defaults.value(QStringLiteral("MicGuardSaved.damaged")), value);
        rig.guard.turnOn();
        QCOMPARE(rig.stored().value(QStringLiteral("usb")).toObject(), savedJson(0, {1, sixty}));
        QCOMPARE(rig.defaults.value(QStringLiteral("MicGuardSaved.damaged")), value);
        rig.guard.turnOff();
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);

        // A second damaged value finds a free name.
        rig.defaults.setValue(QStringLiteral("MicGuardSaved"), QStringLiteral("again"));
        rig.guard.restoreLeftovers();
        QCOMPARE(rig.defaults.value(QStringLiteral("MicGuardSaved.damaged-2")).toString(), QStringLiteral("again"));
        QCOMPARE(rig.defaults.value(QStringLiteral("MicGuardSaved.damaged")), value);
    }

    void aRecordIsDroppedOnlyOnceTheServerConfirms()
    {
        Rig rig;
        QSignalSpy restoreRefused(&rig.guard, &MicGuard::restoreRefused);
        QSignalSpy silenceRefused(&rig.guard, &MicGuard::silenceRefused);
        rig.guard.turnOn();

        // Refused: the record stays, said once.
        rig.inputs.refusing.insert(QStringLiteral("usb"));
        rig.guard.turnOff();
        QCOMPARE(rig.stored().keys(), QStringList({QStringLiteral("usb")}));
        rig.inputs.putDevice(rig.now(QStringLiteral("stereo"))); // any change retries
        QCOMPARE(restoreRefused.count(), 1);
        QCOMPARE(restoreRefused.first().first().toString(), QStringLiteral("USB Mic"));

        // Accepted again: given back on the next change.
        rig.inputs.refusing.clear();
        rig.inputs.putDevice(rig.now(QStringLiteral("stereo")));
        QCOMPARE(rig.now(QStringLiteral("usb")), usb);
        QVERIFY(!rig.defaults.contains(QStringLiteral("MicGuardSaved")));

        // Switched on again before the server confirmed the restore: the
        // late confirmation does not drop the record the guard now relies on.
        rig.guard.turnOn();
        rig.inputs.holdAcks = true;
        rig.guard.turnOff();
        rig.guard.turnOn();
        rig.inputs.releaseAcks();
        QCOMPARE(rig.stored().size(), 3);
        rig.inputs.holdAcks = false;

        // Silencing refused: said once while on.
        rig.guard.turnOff();
        rig.inputs.refusing.insert(QStringLiteral("muted"));
        rig.guard.turnOn();
        rig.inputs.putDevice(rig.now(QStringLiteral("usb")));
        QCOMPARE(silenceRefused.count(), 1);
        QCOMPARE(silenceRefused.first().first().toString(), QStringLiteral("Webcam Mic"));
    }
};

QTEST_GUILESS_MAIN(TestMicGuard)
#include "test_mic_guard.moc"
