// End to end on the rig's desktop: a real recording client lights the real
// Tarnwick's halo in the microphone colour with a banner naming the client,
// and the halo window goes away once the recording stops.
#include "RequiredService.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList reportLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool hasLine(const QString &path, const QString &pattern)
{
    return !reportLines(path).filter(QRegularExpression(pattern)).isEmpty();
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Top-level windows titled "Tarnwick" at least `minWidth` wide: the halo,
// not the tray icon.
int haloWindows()
{
    static const QRegularExpression line(QStringLiteral(R"re("Tarnwick": \(.*\)\s+(\d+)x(\d+)\+)re"));
    int found = 0;
    const QStringList lines = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                                  .split(QLatin1Char('\n'));
    for (const QString &text : lines) {
        const auto match = line.match(text);
        if (match.hasMatch() && match.captured(1).toInt() >= 200)
            ++found;
    }
    return found;
}

bool audioServerAnswers()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

} // namespace

class TestLiveHalo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRealRecordingLightsTheHalo()
    {
        REQUIRE_SERVICE(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X display");
        REQUIRE_SERVICE(audioServerAnswers(), "an audio server");
        REQUIRE_SERVICE(!QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty(), "xwininfo");

        QTemporaryDir dir;
        const QString report = dir.filePath(QStringLiteral("sensors.txt"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARNWICK_DEFAULTS"), dir.filePath(QStringLiteral("settings.json")));
        env.insert(QStringLiteral("TARNWICK_DATA"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("TARNWICK_REPORT_SECONDS"), QStringLiteral("15"));
        QProcess app;
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(qEnvironmentVariable("TARNWICK_BINARY"), {QStringLiteral("--sensor-report"), report});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(hasLine(report, QStringLiteral(R"(^\d+\.\d\ds halo: hidden$)")), 10000);
        QCOMPARE(haloWindows(), 0);

        QProcess recorder;
        recorder.start(QStringLiteral("parecord"), {QStringLiteral("--client-name=Field Recorder"),
                                                   dir.filePath(QStringLiteral("take.wav"))});
        QVERIFY(recorder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(hasLine(report, QStringLiteral(R"(mic=on \[parecord\]$)")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(hasLine(report, QStringLiteral(R"(s banner: parecord is using the microphone$)")), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 1, 5000);
        // Let the grow animation finish before the picture.
        QTest::qWait(600);
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("live-halo-mic.png")});

        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(hasLine(report, QStringLiteral(R"(mic=off \[\]$)")), 10000);
        // The banner may outlive the recording; the window goes once nothing shows.
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 0, 10000);

        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(reportLines(report).constLast(), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(TestLiveHalo)
#include "test_live_halo.moc"
