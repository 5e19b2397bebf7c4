// End to end on the rig's desktop, the real Tarnwick against real clients: a
// recording lights the halo with a banner naming the client and the window
// goes once it stops; a process holding a camera node is named, brief probes
// of the node are not; every use reaches the history.
#include "ChildProcess.h"
#include "PrivateTarnwick.h"
#include "RequiredService.h"
#include "XDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <memory>

class TestLiveHalo : public QObject {
    Q_OBJECT

    XDisplay m_x;
    std::unique_ptr<PrivateTarnwick> m_app;
    QString m_report;

    // The halo, not the tray icon.
    int haloWindows() { return m_x.windowsTitled("Tarnwick", 200); }
    bool reported(const QString &pattern) const
    {
        return !PrivateTarnwick::lines(m_report).filter(QRegularExpression(pattern)).isEmpty();
    }
    QByteArray history() const
    {
        QFile file(m_app->filePath(QStringLiteral("data/history.json")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QProcess &startReport(const QString &seconds)
    {
        m_app->environment().insert(QStringLiteral("TARNWICK_REPORT_SECONDS"), seconds);
        return m_app->launch({QStringLiteral("--sensor-report"), m_report});
    }

private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_SERVICE(m_x.isOpen(), "an X display");
        REQUIRE_SERVICE(ChildProcess::output(QStringLiteral("pactl"), {QStringLiteral("info")},
                                             QProcessEnvironment::systemEnvironment()),
                        "an audio server");
    }
    void init()
    {
        m_app = std::make_unique<PrivateTarnwick>();
        m_report = m_app->filePath(QStringLiteral("sensors.txt"));
    }
    void cleanup() { m_app.reset(); }

    void aRealRecordingLightsTheHalo()
    {
        QProcess &app = startReport(QStringLiteral("15"));
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(^\d+\.\d\ds halo: hidden$)")), 10000);
        QCOMPARE(haloWindows(), 0);

        QProcess recorder;
        recorder.start(QStringLiteral("parecord"), {QStringLiteral("--client-name=Field Recorder"),
                                                    m_app->filePath(QStringLiteral("take.wav"))});
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(mic=on \["parecord"\]$)")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(s banner: parecord is using the microphone$)")),
                                 5000);
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 1, 5000);
        QTest::qWait(600); // the grow animation, before the picture
        QCOMPARE(
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                         QStringLiteral("live-halo-mic.png")}),
            0);

        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(mic=off \[\]$)")), 10000);
        // The banner may outlive the recording; the window goes once nothing shows.
        QTRY_VERIFY_WITH_TIMEOUT(haloWindows() == 0, 10000);

        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(PrivateTarnwick::lines(m_report).constLast(), QStringLiteral("ok"));
        QVERIFY(history().contains(R"("app":"parecord")"));
    }

    void aCameraHolderIsNamedAndAProbeIsNot_data()
    {
        QTest::addColumn<bool>("halo");
        QTest::newRow("halo on") << true;
        QTest::newRow("halo turned off for the camera") << false;
    }
    void aCameraHolderIsNamedAndAProbeIsNot()
    {
        QFETCH(bool, halo);
        if (!halo)
            m_app->writeSettings({{QStringLiteral("HaloCamera"), false}});
        // A stand-in node with /dev/full's numbers: opening it works without a driver.
        const QString node = m_app->filePath(QStringLiteral("devices/video0"));
        QDir().mkpath(QFileInfo(node).path());
        REQUIRE_SERVICE(
            QProcess::execute(QStringLiteral("mknod"),
                              {node, QStringLiteral("c"), QStringLiteral("1"), QStringLiteral("7")}) == 0,
            "mknod (root)");
        m_app->environment().insert(QStringLiteral("TARNWICK_CAMERA_DEVICES"), QFileInfo(node).path());
        QProcess &app = startReport(QStringLiteral("12"));
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(s halo: hidden$)")), 10000);

        // Probes: opened and closed at once, as a browser listing cameras does.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QProcess::execute(QStringLiteral("sh"),
                                       {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\""), node}),
                     0);
        QProcess holder;
        holder.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; exec sleep 30"), node});
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(s camera=on \["sleep"\] mic=off \[\]$)")), 10000);
        if (halo) {
            // The banner follows the camera line once its delay has passed.
            QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(s banner: sleep is using the camera$)")),
                                     10000);
        } else {
            QTest::qWait(2000); // past the banner's delay: nothing lights, the use is still recorded
            QVERIFY(!reported(QStringLiteral(R"(s (banner: .*|halo: visible)$)")));
        }
        holder.kill();
        holder.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(reported(QStringLiteral(R"(s camera=off \[\] mic=off \[\]$)")), 10000);

        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitCode(), 0);
        // The probes never lit the camera: exactly one "on" before the holder's named one.
        QCOMPARE(PrivateTarnwick::lines(m_report)
                     .filter(QRegularExpression(QStringLiteral(R"(s camera=on \[\])")))
                     .size(),
                 1);
        QVERIFY(history().contains(R"("app":"sleep")") && history().contains(R"("sensor":"camera")"));
    }
};

QTEST_GUILESS_MAIN(TestLiveHalo)
#include "test_live_halo.moc"
