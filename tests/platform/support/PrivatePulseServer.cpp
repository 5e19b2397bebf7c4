#include "PrivatePulseServer.h"

#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

PrivatePulseServer::PrivatePulseServer(Kind kind)
    : m_kind(kind)
{
    QDir(m_dir.path()).mkpath("run");
    QDir(m_dir.path()).mkpath("home");
    QFile::setPermissions(runtimePath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool PrivatePulseServer::addSource(const QString &name, const QStringList &extra) const
{
    // PipeWire's pulse server has no null source; a null sink of the source class is one.
    const QStringList arguments =
        m_kind == Kind::PulseAudio
            ? QStringList{QStringLiteral("module-null-source"), QStringLiteral("source_name=") + name}
            : QStringList{QStringLiteral("module-null-sink"), "media.class=Audio/Source/Virtual",
                          QStringLiteral("sink_name=") + name};
    return pactl(QStringList{"load-module"} + arguments + extra).has_value();
}

QProcessEnvironment PrivatePulseServer::clientEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", address());
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    return env;
}

QProcessEnvironment PrivatePulseServer::daemonEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimePath());
    env.insert("HOME", m_dir.filePath("home"));
    env.remove("PULSE_SERVER");
    env.remove("DISPLAY");
    if (m_kind == Kind::PulseAudio)
        env.insert("PULSE_RUNTIME_PATH", runtimePath());
    // A bus of its own: the caller's may have another server owning the
    // names, and PipeWire's session manager will not run without one.
    env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress());
    return env;
}

QString PrivatePulseServer::launch(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return program + QStringLiteral(" is not installed");
    auto daemon = std::make_unique<QProcess>();
    daemon->setProcessEnvironment(daemonEnvironment());
    daemon->setStandardOutputFile(QProcess::nullDevice());
    daemon->setStandardErrorFile(QProcess::nullDevice());
    daemon->start(path, arguments);
    if (!daemon->waitForStarted())
        return program + QStringLiteral(" did not start: ") + daemon->errorString();
    m_daemons.push_back(std::move(daemon));
    return {};
}

QString PrivatePulseServer::start()
{
    QString error = m_bus.isRunning() ? QString() : m_bus.start();
    if (!error.isEmpty())
        return error;
    if (m_kind == Kind::PulseAudio) {
        QStringList arguments{"--daemonize=no",
                              "--exit-idle-time=-1",
                              "--use-pid-file=no",
                              "--log-target=stderr",
                              "--load=module-native-protocol-unix",
                              "--load=module-null-sink sink_name=rig_sink",
                              "--load=module-null-source source_name=rig_source"};
        if (!m_runsStartupScript) {
            arguments.append("-n");
        } else if (!QFile::exists(startupScript())) {
            QDir().mkpath(QFileInfo(startupScript()).path());
            QFile script(startupScript());
            if (!script.open(QIODevice::WriteOnly) || script.write("# the rig's own startup script\n") <= 0)
                return QStringLiteral("cannot write ") + startupScript();
        }
        error = launch("pulseaudio", arguments);
        return error.isEmpty() ? waitUntilAnswering() : error;
    }
    // The session manager and the pulse server need the daemon's socket.
    for (const char *program : {"pipewire", "wireplumber", "pipewire-pulse"}) {
        if (!(error = launch(program, {})).isEmpty())
            return error;
        if (!PrivateSessionBus::appeared(runtimePath() + QStringLiteral("/pipewire-0")))
            return "pipewire did not open its socket";
    }
    if (!(error = waitUntilAnswering()).isEmpty())
        return error;
    if (!pactl({"load-module", "module-null-sink", "sink_name=rig_sink"}) || !addSource("rig_source"))
        return "the null devices could not be made";
    return {};
}

QString PrivatePulseServer::waitUntilAnswering()
{
    // The servers have no readiness signal of their own: ask until one answers.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        for (const auto &daemon : m_daemons) {
            if (daemon->state() != QProcess::Running)
                return daemon->program() + QStringLiteral(" exited at start");
        }
        if (pactl({"info"}))
            return {};
        QThread::msleep(50);
    }
    return "the audio server did not answer within 10 s";
}

void PrivatePulseServer::stop()
{
    while (!m_daemons.empty()) {
        const std::unique_ptr<QProcess> daemon = std::move(m_daemons.back());
        m_daemons.pop_back();
        daemon->terminate();
        if (!daemon->waitForFinished(5000)) {
            daemon->kill();
            daemon->waitForFinished();
        }
    }
}

std::optional<QByteArray> PrivatePulseServer::pactl(const QStringList &arguments) const
{
    return ChildProcess::output("pactl", QStringList{QStringLiteral("--server=") + address()} + arguments,
                                clientEnvironment());
}
