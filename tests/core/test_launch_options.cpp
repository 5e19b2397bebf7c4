#include "LaunchOptions.h"

#include <QDir>
#include <QTest>

using Mode = LaunchOptions::Mode;

class TestLaunchOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void flagRules_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("path");

        // A flag with its path is what every self-check launch of the rig tests passes.
        QTest::newRow("flag as the last argument counts as absent")
            << QStringList{"--check-menus"} << Mode::Normal << QString();
        QTest::newRow("last-argument flag does not hide a later-listed one")
            << QStringList{"--idle-report", "/tmp/i", "--check-menus"} << Mode::IdleReport << "/tmp/i";
        QTest::newRow("the fixed order wins, not the command line's")
            << QStringList{"--idle-report", "/tmp/i", "--check-switch", "/tmp/s"} << Mode::CheckSwitch
            << "/tmp/s";
        QTest::newRow("the value may look like a flag")
            << QStringList{"--bench-shelf", "--sensor-report"} << Mode::BenchShelf
            << QDir::current().absoluteFilePath("--sensor-report");
        QTest::newRow("unknown flags are ignored")
            << QStringList{"--verbose", "--sensor-report", "/tmp/s"} << Mode::SensorReport << "/tmp/s";
        QTest::newRow("a relative path becomes absolute")
            << QStringList{"--idle-report", "out/idle.txt"} << Mode::IdleReport
            << QDir::current().absoluteFilePath("out/idle.txt");
    }
    void flagRules()
    {
        QFETCH(QStringList, arguments);
        const LaunchOptions options = LaunchOptions::fromArguments(arguments);
        QTEST(options.mode(), "mode");
        QTEST(options.path(), "path");
    }
};

QTEST_GUILESS_MAIN(TestLaunchOptions)
#include "test_launch_options.moc"
