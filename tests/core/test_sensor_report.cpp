#include "Report.h"
#include "SensorReport.h"
#include "SimProcessUsage.h"
#include "SimSensorSources.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSensorReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stateLinesNameTheUsers_data()
    {
        QTest::addColumn<SensorState>("state");
        QTest::addColumn<QString>("line");
        QTest::newRow("nobody") << SensorState{} << QStringLiteral("0.00s camera=off [] mic=off []");
        QTest::newRow("two apps") << SensorState{true, false, {zoom, chat}, {}}
                                  << QStringLiteral("0.00s camera=on [\"Zoom\",\"Chat\"] mic=off []");
        // Names that would blur the list or the line are quoted and escaped.
        const SensorUser tricky{7, QStringLiteral("a\",\"b] mic=off [\\\a\n"), {}};
        QTest::newRow("tricky names")
            << SensorState{false, true, {}, {tricky, zoom}}
            << QStringLiteral(
                   "0.00s camera=off [] mic=on [\"a\\\",\\\"b] mic=off [\\\\\\u0007\\u000a\",\"Zoom\"]");
    }
    void stateLinesNameTheUsers()
    {
        QFETCH(SensorState, state);
        QFETCH(QString, line);
        QCOMPARE(SensorReport::stateLine(0, state), line);
    }

    void followsTheSensorsThenReportsTheCost()
    {
        QTemporaryDir dir;
        SimHub sim;
        SensorModel &model = sim.sensors;
        sim.processes.addApp(RunningApp{100, QStringLiteral("Recorder"), {}, false});
        model.start();
        SimProcessUsage usage;
        usage.current.cpuSeconds = 2.0;
        usage.current.footprintBytes = 50 * 1024 * 1024;

        Report report(dir.filePath(QStringLiteral("sensors.txt")));
        // Stands in for the shell's halo: lit and announcing while someone listens.
        const auto listening = [&model] { return model.state().micOn; };
        SensorReport::Halo halo{listening, [listening] {
                                    return listening() ? std::optional<QString>(
                                                             QStringLiteral("Recorder is listening"))
                                                       : std::nullopt;
                                }};
        SensorReport sensors(report, model, usage, halo, 0.2);
        QSignalSpy finished(&sensors, &SensorReport::finished);
        sensors.run();
        usage.current.cpuSeconds = 2.125;
        sim.cameras.open(); // no halo for the camera
        // The halo line follows on the next turn of the event loop.
        QTRY_COMPARE(report.lines().size(), 4);
        sim.audio.setCaptures({seenCapture(1, 100)});
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().toInt(), 0);

        const QString lines = report.lines().join(QLatin1Char('\n'));
        const QRegularExpression expected(QStringLiteral(R"(^0\.\d\ds camera=off \[\] mic=off \[\]
0\.\d\ds halo: hidden
0\.\d\ds camera=on \[\] mic=off \[\]
0\.\d\ds halo: hidden
0\.\d\ds camera=on \[\] mic=on \["Recorder"\]
0\.\d\ds banner: Recorder is listening
0\.\d\ds halo: visible
cpu used: 0\.125 s over 0 s · memory 50(\.0)? MB
ok$)"));
        QVERIFY2(expected.match(lines).hasMatch(), qPrintable(lines));
    }
};

QTEST_GUILESS_MAIN(TestSensorReport)
#include "test_sensor_report.moc"
