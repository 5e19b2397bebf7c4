#include "IdleReport.h"
#include "ModeSettings.h"
#include "Report.h"
#include "Samples.h"
#include "SimProcessUsage.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QStringList fileLines(const QString &path)
{
    return QString::fromUtf8(fileBytes(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportFileFormatAndExitStatus()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.txt"));
        Report report(path);
        report.check(true, QStringLiteral("found the microphones"));
        QCOMPARE(fileLines(path), QStringList{"ok found the microphones"}); // on disk at once
        report.note(QStringLiteral("started over SSH"));
        report.check(false, QStringLiteral("every input is silent"));
        report.line(QStringLiteral("cpu used: 0.100 s"));
        QCOMPARE(report.failures(), QStringList{"every input is silent"});
        QCOMPARE(report.finish(), 1);
        QCOMPARE(fileLines(path), (QStringList{"ok found the microphones", "note: started over SSH",
                                               "FAIL every input is silent", "cpu used: 0.100 s", "FAILED"}));

        // A report that cannot be written does not stop the run.
        Report lost(QStringLiteral("/proc/no/such/report.txt"));
        lost.fail(QStringLiteral("b"));
        QCOMPARE(lost.finish(), 1);
        QCOMPARE(lost.lines(), (QStringList{"FAIL b", "FAILED"}));
    }

    void secondsComeFromTheEnvironment()
    {
        QProcessEnvironment env;
        const auto seconds = [&env](const char *value) {
            if (value)
                env.insert(QStringLiteral("TARNWICK_IDLE_SECONDS"), QString::fromLatin1(value));
            return ModeSettings::seconds(env, "TARNWICK_IDLE_SECONDS", 300);
        };
        QCOMPARE(seconds(nullptr), 300.0);
        QCOMPARE(seconds("2.5"), 2.5);
        for (const char *unusable : {"abc", "-3", "0", "nan", "inf", ""})
            QCOMPARE(seconds(unusable), 300.0);
    }

    void idleReportMeasuresTheWindowAndCountsStrayTimers()
    {
        QTemporaryDir dir;
        Report report(dir.filePath(QStringLiteral("idle.txt")));
        SimProcessUsage usage;
        usage.current.footprintBytes = 20 * 1048576;
        IdleReport idle(report, usage, 0.2);
        QSignalSpy finished(&idle, &IdleReport::finished);
        // A timer that keeps firing is exactly what the report must catch.
        QTimer stray;
        QObject::connect(&stray, &QTimer::timeout, [&usage] { usage.current.wakeups += 1; });
        stray.start(20);
        idle.run(0.123);
        QVERIFY(finished.wait(IdleReport::settleMilliseconds + 5000));
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
        const QStringList lines = fileLines(report.filePath());
        QCOMPARE(lines.at(0), QStringLiteral("start: status item shown 123 ms after the process started"));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("settled: memory 20 MB")));
        const QRegularExpression idleLine(QStringLiteral(
            R"(^idle 0 s: cpu 0\.0000 s \(0\.0000%\), wakeups \d+ \(\d+\.\d\d/s\), memory 20 MB$)"));
        QVERIFY2(idleLine.match(lines.at(2)).hasMatch(), qPrintable(lines.at(2)));
        QVERIFY(lines.contains(QStringLiteral("ok idle CPU under 0.05 %")));
        QVERIFY(lines.contains(QStringLiteral("FAIL no timer of its own fires while idle")));
        QCOMPARE(lines.constLast(), QStringLiteral("FAILED"));
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
