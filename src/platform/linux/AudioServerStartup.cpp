#include "AudioServerStartup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace {

// Who is listening on a local socket; 0 when it cannot be told.
pid_t peerOf(const QString &socketPath)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address.sun_path))
        return 0;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    // Non-blocking: a server too busy to take connections must not stall the caller.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return 0;
    pid_t pid = 0;
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0 &&
        ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0)
        pid = credentials.pid;
    ::close(fd);
    return pid;
}

QByteArrayList nulSeparated(const QString &path, bool &ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    QByteArray contents = ok ? file.readAll() : QByteArray();
    if (contents.endsWith('\0'))
        contents.chop(1);
    return contents.isEmpty() ? QByteArrayList() : contents.split('\0');
}

} // namespace

AudioServerStartup::AudioServerStartup(QProcessEnvironment environment, QStringList arguments)
    : m_environment(std::move(environment))
    , m_arguments(std::move(arguments))
{}

std::optional<AudioServerStartup> AudioServerStartup::ofServer(const QString &serverAddress)
{
    // libpulse names a local server "unix:<path>", maybe after "{<machine id>}".
    QString path = serverAddress;
    if (path.startsWith(QLatin1Char('{')))
        path = path.mid(path.indexOf(QLatin1Char('}')) + 1);
    if (path.startsWith(QLatin1String("unix:")))
        path = path.mid(5);
    if (!QDir::isAbsolutePath(path))
        return std::nullopt;
    const pid_t pid = peerOf(path);
    if (pid <= 0)
        return std::nullopt;
    bool environmentRead = false;
    bool argumentsRead = false;
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    const QByteArrayList environmentEntries = nulSeparated(proc + QStringLiteral("environ"), environmentRead);
    const QByteArrayList cmdline = nulSeparated(proc + QStringLiteral("cmdline"), argumentsRead);
    if (!environmentRead || !argumentsRead)
        return std::nullopt;
    QProcessEnvironment environment;
    for (const QByteArray &entry : environmentEntries) {
        const qsizetype equals = entry.indexOf('=');
        if (equals > 0)
            environment.insert(QString::fromLocal8Bit(entry.left(equals)),
                               QString::fromLocal8Bit(entry.mid(equals + 1)));
    }
    QStringList arguments;
    for (const QByteArray &argument : cmdline)
        arguments.append(QString::fromLocal8Bit(argument));
    // The server's home is that of the user it runs as when its environment has none.
    if (!environment.contains(QStringLiteral("HOME"))) {
        struct stat info {};
        if (::stat(proc.toLocal8Bit().constData(), &info) == 0) {
            if (const passwd *user = ::getpwuid(info.st_uid))
                environment.insert(QStringLiteral("HOME"), QString::fromLocal8Bit(user->pw_dir));
        }
    }
    return AudioServerStartup(environment, arguments);
}

QString AudioServerStartup::home() const
{
    return m_environment.value(QStringLiteral("HOME"));
}

QString AudioServerStartup::pulseAudioScript() const
{
    if (m_arguments.mid(1).contains(QLatin1String("-n")))
        return {};
    const QString script = m_environment.value(QStringLiteral("PULSE_SCRIPT"));
    if (!script.isEmpty())
        return script;
    const QString configPath = m_environment.value(QStringLiteral("PULSE_CONFIG_PATH"));
    if (!configPath.isEmpty())
        return configPath + QStringLiteral("/default.pa");
    if (home().isEmpty())
        return {};
    const QString legacy = home() + QStringLiteral("/.pulse/default.pa");
    if (QFileInfo::exists(legacy))
        return legacy;
    return home() + QStringLiteral("/.config/pulse/default.pa");
}

QString AudioServerStartup::pipeWireFolder() const
{
    const QString configDir = m_environment.value(QStringLiteral("PIPEWIRE_CONFIG_DIR"));
    if (!configDir.isEmpty())
        return configDir;
    const QString configHome = m_environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (QDir::isAbsolutePath(configHome))
        return configHome + QStringLiteral("/pipewire");
    return home().isEmpty() ? QString() : home() + QStringLiteral("/.config/pipewire");
}
