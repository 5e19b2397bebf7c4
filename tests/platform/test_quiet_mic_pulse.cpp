// The quiet microphone on real audio servers of the test's own: added from
// the server's modules, made the default input with the previous one
// remembered, heard as soft noise by a real recorder, given back, removed;
// and kept across a restart of PipeWire's pulse server.
#include "DefaultsStore.h"
#include "PrivatePulseServer.h"
#include "PulseConnection.h"
#include "PulseQuietMicDriver.h"
#include "QuietMic.h"
#include "RequiredService.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int rate = 48000;

// Records `seconds` of the input through parecord and answers the RMS level
// of the last second, in 16-bit steps.
std::optional<double> recordedLevel(const PrivatePulseServer &server, const QString &input, double seconds)
{
    QProcess recorder;
    recorder.setProcessEnvironment(server.clientEnvironment());
    recorder.start(QStringLiteral("parecord"),
                   {QStringLiteral("--raw"), QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                    QStringLiteral("--rate=%1").arg(rate), QStringLiteral("-d"), input});
    if (!recorder.waitForStarted())
        return std::nullopt;
    const qsizetype wanted = qsizetype(seconds * rate) * 2;
    QByteArray audio;
    // Waits with the event loop running: the noise is played from this process.
    QSignalSpy output(&recorder, &QProcess::readyReadStandardOutput);
    while (audio.size() < wanted && recorder.state() == QProcess::Running) {
        if (recorder.bytesAvailable() == 0 && !output.wait(10000))
            break;
        audio += recorder.readAllStandardOutput();
    }
    recorder.kill();
    recorder.waitForFinished();
    if (audio.size() < wanted)
        return std::nullopt;
    const qsizetype count = rate;
    const auto *samples = reinterpret_cast<const qint16 *>(audio.constData() + wanted) - count;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

QString defaultInputOf(const PrivatePulseServer &server)
{
    const std::optional<QByteArray> info = server.pactl({QStringLiteral("get-default-source")});
    return info ? QString::fromUtf8(info->trimmed()) : QString();
}

} // namespace

class TestQuietMicPulse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addUseAndRemove()
    {
        PrivatePulseServer server;
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        QVERIFY(server.pactl({QStringLiteral("set-default-source"), QStringLiteral("rig_source")}));
        QTemporaryDir config;
        DefaultsStore defaults;
        PulseConnection connection(server.address());
        PulseQuietMicDriver driver(connection, config.path());
        driver.start();
        QTRY_VERIFY(driver.isAvailable());
        QVERIFY(!driver.isPipeWire());
        QVERIFY(!driver.isInstalled());
        QVERIFY(!QuietMic::activate(driver, defaults)); // nothing to activate yet
        QCOMPARE(driver.defaultInput(), QStringLiteral("rig_source"));

        std::optional<QuietMic::Result> installed;
        QObject context;
        QuietMic::install(driver, &context, [&installed](const QuietMic::Result &result) { installed = result; });
        QTRY_VERIFY(installed.has_value());
        QCOMPARE(*installed, QuietMic::Result());
        QVERIFY(driver.isInstalled());
        QFile file(config.filePath(QStringLiteral("pulse/default.pa")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray persisted = file.readAll();
        QVERIFY(persisted.startsWith(".include /etc/pulse/default.pa\n"));
        QVERIFY(persisted.contains("source_name=TarnwickQuietMic_UID"));
        file.close();

        QVERIFY(QuietMic::activate(driver, defaults));
        QVERIFY(QuietMic::activate(driver, defaults)); // the first remembered input stays
        QTRY_COMPARE(defaultInputOf(server), QStringLiteral("TarnwickQuietMic_UID"));
        QCOMPARE(defaults.stringValue(QStringLiteral("QuietMicPreviousDefaultInput")), QStringLiteral("rig_source"));
        QVERIFY(driver.isNoisePlaying());

        // A fresh output has about two seconds of latency: the last of four
        // seconds is what a call hears.
        const std::optional<double> level = recordedLevel(server, QStringLiteral("TarnwickQuietMic_UID"), 4);
        QVERIFY(level.has_value());
        qInfo("noise heard through the quiet microphone: RMS %.0f of 32767", *level);
        QVERIFY2(*level > 60 && *level < 600, qPrintable(QString::number(*level)));

        QuietMic::deactivate(driver, defaults);
        QTRY_COMPARE(defaultInputOf(server), QStringLiteral("rig_source"));
        QVERIFY(!defaults.contains(QStringLiteral("QuietMicPreviousDefaultInput")));
        QVERIFY(!driver.isNoisePlaying());

        QCOMPARE(QuietMic::remove(driver), QuietMic::Result());
        QTRY_VERIFY(!driver.isInstalled());
        QVERIFY(!QFile::exists(config.filePath(QStringLiteral("pulse/default.pa"))));
        const std::optional<QByteArray> modules =
            server.pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")});
        QVERIFY(modules && !modules->contains("TarnwickQuietMic"));
    }

    void keptAcrossARestartOfPipeWire()
    {
        QTemporaryDir config;
        // The server reads its configuration from the same folder.
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        PrivatePulseServer server(PrivatePulseServer::Kind::PipeWire);
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("PipeWire (%1)").arg(error));
        PulseConnection connection(server.address());
        PulseQuietMicDriver driver(connection, config.path());
        driver.start();
        QTRY_VERIFY_WITH_TIMEOUT(driver.isAvailable(), 10000);
        QVERIFY(driver.isPipeWire());

        std::optional<QString> installError;
        driver.install([&installError](const QString &e) { installError = e; });
        QTRY_VERIFY(installError.has_value());
        QCOMPARE(*installError, QString());
        QTRY_VERIFY(driver.isInstalled());
        QVERIFY(QFile::exists(config.filePath(QStringLiteral("pipewire/pipewire-pulse.conf.d/tarnwick-quiet-microphone.conf"))));

        server.stop();
        QTRY_VERIFY(!driver.isAvailable());
        QCOMPARE(server.start(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(driver.isAvailable(), 15000);
        QTRY_VERIFY(driver.isInstalled());

        QCOMPARE(driver.remove(), QString());
        QTRY_VERIFY(!driver.isInstalled());
        QVERIFY(!QFile::exists(config.filePath(QStringLiteral("pipewire/pipewire-pulse.conf.d/tarnwick-quiet-microphone.conf"))));
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_GUILESS_MAIN(TestQuietMicPulse)
#include "test_quiet_mic_pulse.moc"
