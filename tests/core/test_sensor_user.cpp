#include "AudioCaptureSource.h"
#include "Sensor.h"
#include "SensorUser.h"
#include "SimProcessDirectory.h"

#include <QTest>

class TestSensorUser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sensorsAreStoredByTheirRawText()
    {
        QCOMPARE(sensorText(Sensor::Camera), QStringLiteral("camera"));
        QCOMPARE(sensorText(Sensor::Microphone), QStringLiteral("microphone"));
        for (const Sensor sensor : allSensors)
            QCOMPARE(sensorFromText(sensorText(sensor)), sensor);
        QCOMPARE(sensorFromText(QStringLiteral("Camera")), std::nullopt);
        QCOMPARE(sensorFromText(QString()), std::nullopt);
    }

    void aPidBelowOneIsNobody()
    {
        SimProcessDirectory processes;
        processes.addProcess(0, QStringLiteral("swapper"));
        QCOMPARE(SensorUser::resolve(0, processes), std::nullopt);
        QCOMPARE(SensorUser::resolve(-7, processes), std::nullopt);
    }

    void anApplicationIsShownAsItself()
    {
        SimProcessDirectory processes;
        processes.addApp({100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos"), false});
        QCOMPARE(SensorUser::resolve(100, processes),
                 (SensorUser{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")}));
    }

    void aHelperIsShownAsTheApplicationResponsibleForIt()
    {
        SimProcessDirectory processes;
        processes.addApp({300, QStringLiteral("Browser"), QStringLiteral("org.browser"), false});
        // A helper with no record of its own, and one whose record is background-only.
        processes.addProcess(301, QStringLiteral("browser-gpu"), 300, 300);
        processes.addProcess(302, QStringLiteral("browser-audio"), 300, 300);
        processes.addApp({302, QStringLiteral("Audio Service"), QString(), true});
        const SensorUser browser{300, QStringLiteral("Browser"), QStringLiteral("org.browser")};
        QCOMPARE(SensorUser::resolve(301, processes), browser);
        QCOMPARE(SensorUser::resolve(302, processes), browser);
    }

    void aBackgroundProcessResponsibleForItselfKeepsItsOwnRecord()
    {
        SimProcessDirectory processes;
        processes.addApp({400, QStringLiteral("Dictation"), QStringLiteral("org.dictation"), true});
        QCOMPARE(SensorUser::resolve(400, processes),
                 (SensorUser{400, QStringLiteral("Dictation"), QStringLiteral("org.dictation")}));
    }

    void withoutAnApplicationTheProcessNameIsUsed()
    {
        SimProcessDirectory processes;
        // Responsible for by an app that has gone; and a record without a name.
        processes.addProcess(500, QStringLiteral("arecord"), 1, 499);
        processes.addProcess(600, QStringLiteral("obs"));
        processes.addApp({600, QString(), QStringLiteral("com.obsproject.Studio"), false});
        QCOMPARE(SensorUser::resolve(500, processes),
                 (SensorUser{500, QStringLiteral("arecord"), QString()}));
        QCOMPARE(SensorUser::resolve(600, processes), (SensorUser{600, QStringLiteral("obs"), QString()}));
    }

    void aProcessThatCannotBeNamedIsNobody()
    {
        SimProcessDirectory processes;
        QCOMPARE(SensorUser::resolve(700, processes), std::nullopt);
    }

    void aCaptureIsResolvedByAppIdWhenSandboxed()
    {
        SimProcessDirectory processes;
        processes.addApp({800, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder"), false});
        processes.addProcess(3, QStringLiteral("host-process"));
        const SensorUser recorder{800, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder")};
        QCOMPARE(SensorUser::resolve(AudioCapture{1, 3, QStringLiteral("org.gnome.Recorder"), {}}, processes),
                 recorder);
        QCOMPARE(SensorUser::resolve(AudioCapture{1, 3, QStringLiteral("org.gone"), {}}, processes),
                 (SensorUser{3, QStringLiteral("org.gone"), QStringLiteral("org.gone")}));
        QCOMPARE(SensorUser::resolve(AudioCapture{1, 3, QString(), {}}, processes),
                 (SensorUser{3, QStringLiteral("host-process"), QString()}));
    }
};

QTEST_GUILESS_MAIN(TestSensorUser)
#include "test_sensor_user.moc"
