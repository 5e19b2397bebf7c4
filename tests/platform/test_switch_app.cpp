// The real tarnwick binary with a private audio server and session bus: the switch check passes, levels come
// back after a run killed while the microphone was off, and a quit (or a signal to end) gives them back
// before the process ends.
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "PrivateTarnwick.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "RequiredService.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>

#include <csignal>

class TestSwitchApp : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;
    std::unique_ptr<PrivateTarnwick> m_app;
    std::unique_ptr<PulseConnection> m_connection;
    std::unique_ptr<PulseInputDeviceControl> m_watcher;
    QByteArrayList m_levels;

    // Every input's mute and volumes as the server has them when asked.
    QByteArrayList levels() const
    {
        QByteArrayList found;
        for (const QByteArray &line : m_server->pactl({"list", "sources"}).value_or(QByteArray()).split('\n'))
            if (line.contains("Mute:") || line.trimmed().startsWith("Volume:"))
                found.append(line.trimmed());
        return found;
    }
    bool allSilent() const
    {
        const QList<InputDevice> devices = m_watcher->devices();
        return !devices.isEmpty() && std::all_of(devices.cbegin(), devices.cend(), MicGuard::isSilent);
    }

private Q_SLOTS:
    void init()
    {
        REQUIRE_SERVICE(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X display");
        REQUIRE_SERVICE(QFile::exists(PrivateTarnwick::binary()), "the tarnwick binary");
        m_server = std::make_unique<PrivatePulseServer>();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        QVERIFY(m_server->addSource("desk", {"channels=2"}));
        QVERIFY(m_server->pactl({"set-source-volume", "desk", "39322", "20000"}));
        QVERIFY(m_server->pactl({"set-source-mute", "rig_source", "1"}));
        m_levels = levels();
        QProcessEnvironment env = m_server->clientEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_server->busAddress()); // the audio server's own
        m_app = std::make_unique<PrivateTarnwick>(env);
        m_connection = std::make_unique<PulseConnection>(m_server->address());
        m_watcher = std::make_unique<PulseInputDeviceControl>(*m_connection);
        m_watcher->start();
        QTRY_COMPARE(m_watcher->devices().size(), 2);
    }

    void theSwitchCheckPasses()
    {
        const QString report = m_app->filePath("switch report.txt");
        QProcess &app = m_app->launch({"--check-switch", report});
        QVERIFY(app.waitForFinished(60000));
        QCOMPARE(app.exitCode(), 0);
        const QStringList lines = PrivateTarnwick::lines(report);
        // Every statement checked, none skipped.
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^ok "))).size(), 7);
        QCOMPARE(lines.last(), QStringLiteral("ok"));
        QCOMPARE(levels(), m_levels);
    }

    void levelsComeBackAfterAKill()
    {
        m_app->writeSettings({{"MicOff", true}});
        QProcess &killed = m_app->launch();
        QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 20000);
        killed.kill();
        QVERIFY(killed.waitForFinished());
        QVERIFY(allSilent());
        QJsonObject settings = m_app->settings();
        QVERIFY(settings.contains("MicGuardSaved"));

        // Switched back on while it was not running: the next start gives every level back.
        settings.insert("MicOff", false);
        m_app->writeSettings(settings);
        m_app->launch();
        QTRY_COMPARE_WITH_TIMEOUT(levels(), m_levels, 20000);
        QTRY_VERIFY(!m_app->settings().contains("MicGuardSaved"));
    }

    // Logout (SIGHUP), Ctrl+C (SIGINT) and SIGTERM all end it like Quit.
    void aQuitGivesTheLevelsBackFirst_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void aQuitGivesTheLevelsBackFirst()
    {
        QFETCH(int, ending);
        m_app->writeSettings({{"MicOff", true}});
        QProcess &app = m_app->launch();
        QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 20000);
        ::kill(pid_t(app.processId()), ending);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitCode(), 0);
        // Asked the moment it has ended, the server already has them back.
        QCOMPARE(levels(), m_levels);
        QVERIFY(!m_app->settings().contains("MicGuardSaved"));
        QVERIFY(m_app->settings().value("MicOff").toBool()); // the next start silences again
    }

    void aStoppedInstanceIsNeverJoinedByASecond()
    {
        m_app->writeSettings({{"MicOff", true}});
        QProcess &first = m_app->launch();
        QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 20000);
        QVERIFY(::kill(pid_t(first.processId()), SIGSTOP) == 0);

        // It cannot answer, but it still holds the microphones: the late one steps back.
        QProcess &late = m_app->launch({}, true);
        QVERIFY(late.waitForFinished(20000));
        QCOMPARE(late.exitCode(), 0);
        QVERIFY2(late.readAll().contains("does not answer"), "the late launch says why it left");
        QCOMPARE(m_app->runningPids(), QList<qint64>({first.processId()}));

        // Once it runs again, a second launch has it open the hub.
        QVERIFY(::kill(pid_t(first.processId()), SIGCONT) == 0);
        QProcess &again = m_app->launch({}, true);
        QVERIFY(again.waitForFinished(20000));
        QVERIFY2(again.readAll().contains("asked it to open the hub"), "the running one answered");
        QCOMPARE(first.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSwitchApp)
#include "test_switch_app.moc"
