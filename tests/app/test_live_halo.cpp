// End to end on the rig's desktop, the real Tarnwick against real clients: a
// recording lights the halo with a banner naming the client and the window
// goes once it stops; a process holding a camera node is reported and named,
// a brief probe of the node is not; every use reaches the history.
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

// The real binary in --sensor-report mode with private settings and data.
struct ReportingApp {
    QTemporaryDir dir;
    QString report = dir.filePath(QStringLiteral("sensors.txt"));
    QProcess process;

    void start(const QString &seconds, const QString &cameraDevices = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARNWICK_DEFAULTS"), dir.filePath(QStringLiteral("settings.json")));
        env.insert(QStringLiteral("TARNWICK_DATA"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("TARNWICK_REPORT_SECONDS"), seconds);
        if (!cameraDevices.isEmpty())
            env.insert(QStringLiteral("TARNWICK_CAMERA_DEVICES"), cameraDevices);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(qEnvironmentVariable("TARNWICK_BINARY"), {QStringLiteral("--sensor-report"), report});
    }
    bool has(const QString &pattern) const { return hasLine(report, pattern); }
    QByteArray history() const
    {
        QFile file(dir.filePath(QStringLiteral("data/history.json")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class TestLiveHalo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_SERVICE(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X display");
        REQUIRE_SERVICE(audioServerAnswers(), "an audio server");
        REQUIRE_SERVICE(!QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty(), "xwininfo");
    }

    void aRealRecordingLightsTheHalo()
    {
        ReportingApp app;
        app.start(QStringLiteral("15"));
        QVERIFY(app.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(^\d+\.\d\ds halo: hidden$)")), 10000);
        QCOMPARE(haloWindows(), 0);

        QProcess recorder;
        recorder.start(QStringLiteral("parecord"), {QStringLiteral("--client-name=Field Recorder"),
                                                   app.dir.filePath(QStringLiteral("take.wav"))});
        QVERIFY(recorder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(mic=on \[parecord\]$)")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(s banner: parecord is using the microphone$)")), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 1, 5000);
        // Let the grow animation finish before the picture.
        QTest::qWait(600);
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("live-halo-mic.png")});

        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(mic=off \[\]$)")), 10000);
        // The banner may outlive the recording; the window goes once nothing shows.
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 0, 10000);

        QVERIFY(app.process.waitForFinished(30000));
        QCOMPARE(app.process.exitCode(), 0);
        QCOMPARE(reportLines(app.report).constLast(), QStringLiteral("ok"));
        QVERIFY(app.history().contains(R"("app":"parecord")"));
    }

    void aCameraHolderIsNamedAndAProbeIsNot()
    {
        QTemporaryDir devices;
        // A stand-in node with /dev/full's numbers: opening it works without a driver.
        const QString node = devices.filePath(QStringLiteral("video0"));
        REQUIRE_SERVICE(QProcess::execute(QStringLiteral("mknod"), {node, QStringLiteral("c"), QStringLiteral("1"),
                                                                   QStringLiteral("7")}) == 0,
                        "mknod (root)");
        ReportingApp app;
        app.start(QStringLiteral("12"), devices.path());
        QVERIFY(app.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(s halo: hidden$)")), 10000);

        // Probes: opened and closed at once, as a browser listing cameras does.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\""), node}), 0);
        QProcess holder;
        holder.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; exec sleep 30"), node});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(s camera=on \[sleep\] mic=off \[\]$)")), 10000);
        QVERIFY(app.has(QStringLiteral(R"(s banner: sleep is using the camera$)")));
        holder.kill();
        holder.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(app.has(QStringLiteral(R"(s camera=off \[\] mic=off \[\]$)")), 10000);

        QVERIFY(app.process.waitForFinished(30000));
        QCOMPARE(app.process.exitCode(), 0);
        // The probes never lit the camera: exactly one "on" before the holder's named one.
        QCOMPARE(reportLines(app.report).filter(QRegularExpression(QStringLiteral(R"(s camera=on \[\])"))).size(), 1);
        QVERIFY(app.history().contains(R"("app":"sleep")"));
        QVERIFY(app.history().contains(R"("sensor":"camera")"));
    }
};

QTEST_GUILESS_MAIN(TestLiveHalo)
#include "test_live_halo.moc"
