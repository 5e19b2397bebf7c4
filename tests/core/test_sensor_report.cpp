#include "Report.h"
#include "SensorReport.h"
#include "SimProcessUsage.h"
#include "SimSensorSources.h"

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
        QTEST(SensorReport::stateLine(0, state), "line");
    }

    // The state, banner and halo lines of a live run are test_live_halo's; here the cost at the end.
    void endsWithWhatTheWatchingCost()
    {
        QTemporaryDir dir;
        SimHub sim;
        sim.sensors.start();
        SimProcessUsage usage;
        usage.current.cpuSeconds = 2.0;
        usage.current.footprintBytes = 50 * 1024 * 1024;
        Report report(dir.filePath(QStringLiteral("sensors.txt")));
        SensorReport sensors(report, sim.sensors, usage, {[] { return false; }, [] { return std::nullopt; }},
                             0.2);
        QSignalSpy finished(&sensors, &SensorReport::finished);
        sensors.run();
        usage.current.cpuSeconds = 2.125;
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().toInt(), 0);
        QCOMPARE(report.lines().mid(report.lines().size() - 2),
                 (QStringList{"cpu used: 0.125 s over 0 s · memory 50 MB", "ok"}));
    }
};

QTEST_GUILESS_MAIN(TestSensorReport)
#include "test_sensor_report.moc"
