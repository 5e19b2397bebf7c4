// The real tarnwick binary with a private audio server and session bus: the
// switch check passes, levels come back after a run killed while the
// microphone was off, and a quit gives them back before the process ends.
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "PrivateSessionBus.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "RequiredService.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QJsonObject settingsIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

void writeSettings(const QString &path, const QJsonObject &settings)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(settings).toJson());
}

} // namespace

class TestSwitchApp : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PulseConnection> m_connection;
    std::unique_ptr<PulseInputDeviceControl> m_watcher;
    QList<InputDevice> m_before;

    QString settingsFile() const { return m_dir->filePath(QStringLiteral("settings.json")); }

    std::unique_ptr<QProcess> launch(const QStringList &arguments)
    {
        QProcessEnvironment env = m_server->clientEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        env.insert(QStringLiteral("TARNWICK_DEFAULTS"), settingsFile());
        env.insert(QStringLiteral("TARNWICK_DATA"), m_dir->filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->filePath(QStringLiteral("run")));
        auto app = std::make_unique<QProcess>();
        app->setProcessEnvironment(env);
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(qEnvironmentVariable("TARNWICK_BINARY"), arguments);
        return app;
    }
    bool allSilent() const
    {
        const QList<InputDevice> devices = m_watcher->devices();
        return !devices.isEmpty() && std::all_of(devices.cbegin(), devices.cend(), MicGuard::isSilent);
    }

private Q_SLOTS:
    void init()
    {
        REQUIRE_SERVICE(!qEnvironmentVariableIsEmpty("DISPLAY"), QStringLiteral("an X display"));
        REQUIRE_SERVICE(QFile::exists(qEnvironmentVariable("TARNWICK_BINARY")), QStringLiteral("the tarnwick binary"));
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(m_dir->filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_server = std::make_unique<PrivatePulseServer>();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        m_bus = std::make_unique<PrivateSessionBus>();
        const QString busError = m_bus->start();
        REQUIRE_SERVICE(busError.isEmpty(), QStringLiteral("a session bus (%1)").arg(busError));
        QVERIFY(m_server->pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                                 QStringLiteral("source_name=desk"), QStringLiteral("channels=2")}));
        QVERIFY(m_server->pactl({QStringLiteral("set-source-volume"), QStringLiteral("desk"), QStringLiteral("39322"),
                                 QStringLiteral("20000")}));
        QVERIFY(m_server->pactl({QStringLiteral("set-source-mute"), QStringLiteral("rig_source"), QStringLiteral("1")}));
        m_connection = std::make_unique<PulseConnection>(m_server->address());
        m_watcher = std::make_unique<PulseInputDeviceControl>(*m_connection);
        m_watcher->start();
        QTRY_COMPARE(m_watcher->devices().size(), 2);
        m_before = m_watcher->devices();
    }
    void cleanup()
    {
        m_watcher.reset();
        m_connection.reset();
        m_bus.reset();
        m_server.reset();
        m_dir.reset();
    }

    void theSwitchCheckPasses()
    {
        const QString report = m_dir->filePath(QStringLiteral("switch report.txt"));
        const std::unique_ptr<QProcess> app = launch({QStringLiteral("--check-switch"), report});
        QVERIFY(app->waitForFinished(60000));
        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(app->exitCode(), 0);
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList statements;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("ok ")))
                statements.append(line.mid(3).section(QLatin1Char('('), 0, 0).trimmed());
        }
        QCOMPARE(statements, QStringList({QStringLiteral("found the microphones"),
                                          QStringLiteral("Microphone off: every input is silent"),
                                          QStringLiteral("the guard silences it again when an app turns it up"),
                                          QStringLiteral("…and says so"),
                                          QStringLiteral("Microphone on: every input exactly as before"),
                                          QStringLiteral("the camera list is read from the permission store and the installed apps"),
                                          QStringLiteral("the system’s camera reset works from the app")}));
        QCOMPARE(lines.last(), QStringLiteral("ok"));
        QCOMPARE(m_watcher->devices(), m_before);
    }

    void levelsComeBackAfterAKill()
    {
        writeSettings(settingsFile(), {{QStringLiteral("MicOff"), true}});
        std::unique_ptr<QProcess> app = launch({});
        QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 20000);
        app->kill();
        QVERIFY(app->waitForFinished());
        QVERIFY(allSilent());
        QVERIFY(settingsIn(settingsFile()).contains(QStringLiteral("MicGuardSaved")));

        // Switched back on while it was not running: the next start gives every level back.
        QJsonObject settings = settingsIn(settingsFile());
        settings.insert(QStringLiteral("MicOff"), false);
        writeSettings(settingsFile(), settings);
        app = launch({});
        QTRY_COMPARE_WITH_TIMEOUT(m_watcher->devices(), m_before, 20000);
        QTRY_VERIFY(!settingsIn(settingsFile()).contains(QStringLiteral("MicGuardSaved")));
        app->terminate();
        QVERIFY(app->waitForFinished(10000));
        QCOMPARE(app->exitCode(), 0);
    }

    void aQuitGivesTheLevelsBackFirst()
    {
        writeSettings(settingsFile(), {{QStringLiteral("MicOff"), true}});
        const std::unique_ptr<QProcess> app = launch({});
        QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 20000);
        app->terminate();
        QVERIFY(app->waitForFinished(10000));
        QCOMPARE(app->exitCode(), 0);
        // Given back before the process ended: asked now, the server already has them.
        const std::optional<QByteArray> desk = m_server->pactl({QStringLiteral("get-source-volume"), QStringLiteral("desk")});
        QVERIFY(desk && desk->contains("39322") && desk->contains("20000"));
        const std::optional<QByteArray> rigMute =
            m_server->pactl({QStringLiteral("get-source-mute"), QStringLiteral("rig_source")});
        QVERIFY(rigMute && rigMute->contains("yes"));
        const std::optional<QByteArray> deskMute = m_server->pactl({QStringLiteral("get-source-mute"), QStringLiteral("desk")});
        QVERIFY(deskMute && deskMute->contains("no"));
        const QJsonObject settings = settingsIn(settingsFile());
        QVERIFY(!settings.contains(QStringLiteral("MicGuardSaved")));
        QVERIFY(settings.value(QStringLiteral("MicOff")).toBool()); // the next start silences again
    }
};

QTEST_GUILESS_MAIN(TestSwitchApp)
#include "test_switch_app.moc"
