#include "PrivatePulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QStandardPaths>
#include <QThread>

PrivatePulseServer::PrivatePulseServer()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QFile::setPermissions(runtimePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

PrivatePulseServer::~PrivatePulseServer()
{
    stop();
}

QProcessEnvironment PrivatePulseServer::clientEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), address());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), runtimePath());
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return env;
}

QString PrivatePulseServer::start()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty())
        return QStringLiteral("pulseaudio is not installed");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), runtimePath());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimePath());
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    // Not on the caller's session bus, where another daemon may own the names.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(m_extraEnv);
    m_daemon.setProcessEnvironment(env);
    m_daemon.start(program, {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                             QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
                             QStringLiteral("--log-level=error"), QStringLiteral("-n"),
                             QStringLiteral("--load=module-native-protocol-unix"),
                             QStringLiteral("--load=module-null-sink sink_name=rig_sink"),
                             QStringLiteral("--load=module-null-source source_name=rig_source")});
    if (!m_daemon.waitForStarted())
        return QStringLiteral("pulseaudio did not start: ") + m_daemon.errorString();
    // The daemon has no readiness signal of its own: ask until it answers.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_daemon.state() != QProcess::Running)
            return QStringLiteral("pulseaudio exited at start");
        if (pactl({QStringLiteral("info")}))
            return {};
        QThread::msleep(50);
    }
    return QStringLiteral("pulseaudio did not answer within 10 s");
}

void PrivatePulseServer::stop()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000)) {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
}

std::optional<QByteArray> PrivatePulseServer::pactl(const QStringList &arguments) const
{
    QProcess tool;
    tool.setProcessEnvironment(clientEnvironment());
    tool.start(QStringLiteral("pactl"), QStringList{QStringLiteral("--server=") + address()} + arguments);
    if (!tool.waitForFinished(5000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    return tool.readAllStandardOutput();
}
