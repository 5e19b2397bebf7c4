// The quiet microphone on real audio servers of the test's own: added, made the default input with the
// previous one remembered, heard as soft noise by a real recorder, given back, removed; and kept across a
// restart of PipeWire's pulse server, which must accept what was written for it.
#include "DefaultsStore.h"
#include "PrivatePulseServer.h"
#include "PulseConnection.h"
#include "PulseQuietMicDriver.h"
#include "QuietMic.h"
#include "RequiredService.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int rate = 48000;

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The RMS level, in 16-bit steps, of the last second of `seconds` recorded from the input by parecord. The
// event loop runs meanwhile: the noise is played from this process.
double recordedLevel(const PrivatePulseServer &server, const QString &input, int seconds)
{
    QProcess recorder;
    recorder.setProcessEnvironment(server.clientEnvironment());
    recorder.start("parecord", {"--raw", "--format=s16le", "--channels=1",
                                QStringLiteral("--rate=%1").arg(rate), "-d", input});
    QSignalSpy output(&recorder, &QProcess::readyReadStandardOutput);
    QByteArray audio;
    while (audio.size() < seconds * rate * 2 && (recorder.bytesAvailable() > 0 || output.wait(10000)))
        audio += recorder.readAllStandardOutput();
    recorder.kill();
    recorder.waitForFinished();
    if (audio.size() < seconds * rate * 2)
        return -1;
    const auto *samples = reinterpret_cast<const qint16 *>(audio.constData()) + (seconds - 1) * rate;
    double sum = 0;
    for (int i = 0; i < rate; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / rate);
}

QString defaultInputOf(const PrivatePulseServer &server)
{
    return QString::fromUtf8(server.pactl({"get-default-source"}).value_or(QByteArray()).trimmed());
}

QByteArray modulesOf(const PrivatePulseServer &server)
{
    return server.pactl({"list", "short", "modules"}).value_or(QByteArray());
}

// The server itself brings it back when it starts again.
void keptAcrossARestart(PrivatePulseServer &server, PulseQuietMicDriver &driver)
{
    server.stop();
    QTRY_VERIFY(!driver.isAvailable());
    QCOMPARE(server.start(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(driver.isAvailable(), 15000);
    QTRY_VERIFY(driver.isInstalled());
}

} // namespace

class TestQuietMicPulse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Without a startup script it would be gone at the next start: said, not claimed. With one: added, kept,
    // used, given back and removed; and the server ending while an install (joined by a second one) is under
    // way answers both, and the driver knows it is gone.
    void addUseAndRemove()
    {
        PrivatePulseServer server;
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        QTemporaryDir config;
        DefaultsStore defaults;
        PulseConnection connection(server.address());
        PulseQuietMicDriver driver(connection, config.path());
        driver.start();
        QTRY_VERIFY(driver.isAvailable());
        QVERIFY(!QuietMic::activate(driver, defaults)); // nothing to activate yet
        QList<QuietMicProblem::Code> answers;
        const auto answer = [&answers](const QuietMicProblem &p) { answers.append(p.code); };
        driver.install(answer);
        QTRY_COMPARE(answers, QList({QuietMicProblem::Code::NoStartupScript}));

        server.stop();
        QTRY_VERIFY(!driver.isAvailable());
        server.runStartupScript();
        QCOMPARE(server.start(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(driver.isAvailable(), 15000);
        const QByteArray ownScript = contentsOf(server.startupScript());
        // A second install while the first runs joins it.
        QList<QuietMic::Result> results;
        QObject context;
        for (int i = 0; i < 2; ++i)
            QuietMic::install(driver, &context, [&results](const QuietMic::Result &r) { results.append(r); });
        QTRY_COMPARE(results, QList<QuietMic::Result>(2)); // both succeeded
        QVERIFY(contentsOf(server.startupScript()).contains("TarnwickQuietMic"));
        QCOMPARE(
            QString::fromUtf8(modulesOf(server)).split(QLatin1Char('\n')).filter("TarnwickQuietMic").size(),
            2); // each of its two modules loaded once
        // Kept where PulseAudio reads it, not in Tarnwick's own folder.
        keptAcrossARestart(server, driver);
        QVERIFY(!QFile::exists(config.filePath("pulse/default.pa")));
        QVERIFY(server.pactl({"set-default-source", "rig_source"}));
        QTRY_COMPARE(driver.defaultInput(), QStringLiteral("rig_source"));

        QVERIFY(QuietMic::activate(driver, defaults));
        QVERIFY(QuietMic::activate(driver, defaults)); // the first remembered input stays
        QTRY_COMPARE(defaultInputOf(server), QStringLiteral("TarnwickQuietMic_UID"));
        QCOMPARE(defaults.stringValue(QStringLiteral("QuietMicPreviousDefaultInput")),
                 QStringLiteral("rig_source"));

        // A fresh output has about two seconds of latency: the last of four seconds is what a call hears.
        const double level = recordedLevel(server, "TarnwickQuietMic_UID", 4);
        QVERIFY2(level > 60 && level < 600, qPrintable(QString::number(level)));

        QuietMic::deactivate(driver, defaults);
        QTRY_COMPARE(defaultInputOf(server), QStringLiteral("rig_source"));
        QVERIFY(!defaults.contains("QuietMicPreviousDefaultInput"));
        QVERIFY(!driver.isNoisePlaying());

        QCOMPARE(QuietMic::remove(driver), QuietMic::Result());
        QTRY_VERIFY(!driver.isInstalled());
        QVERIFY(!modulesOf(server).contains("TarnwickQuietMic"));

        answers.clear();
        driver.install(answer);
        driver.install(answer);
        server.stop(); // before this loop has read any reply
        QTRY_COMPARE(answers, QList({QuietMicProblem::Code::ServerLost, QuietMicProblem::Code::ServerLost}));
        QVERIFY(!driver.isAvailable() && !driver.isInstalled());
        QCOMPARE(contentsOf(server.startupScript()), ownScript);
    }

    void keptAcrossARestartOfPipeWire()
    {
        QTemporaryDir config;
        // The server reads its configuration from the same folder.
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const auto unset = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
        PrivatePulseServer server(PrivatePulseServer::Kind::PipeWire);
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("PipeWire (%1)").arg(error));
        PulseConnection connection(server.address());
        PulseQuietMicDriver driver(connection, config.path());
        driver.start();
        QTRY_VERIFY_WITH_TIMEOUT(driver.isAvailable(), 10000);
        std::optional<QuietMicProblem> installProblem;
        driver.install([&installProblem](const QuietMicProblem &p) { installProblem = p; });
        QTRY_COMPARE(installProblem, std::optional(QuietMicProblem()));
        keptAcrossARestart(server, driver);
        QCOMPARE(driver.remove(), QuietMicProblem());
        QTRY_VERIFY(!driver.isInstalled());
    }
};

QTEST_GUILESS_MAIN(TestQuietMicPulse)
#include "test_quiet_mic_pulse.moc"
