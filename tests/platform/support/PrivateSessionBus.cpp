#include "PrivateSessionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

PrivateSessionBus::PrivateSessionBus()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
}

PrivateSessionBus::~PrivateSessionBus()
{
    stop();
}

QString PrivateSessionBus::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    m_daemon.setProcessEnvironment(env);
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address"), QStringLiteral("--address=") + address()});
    if (!m_daemon.waitForStarted())
        return QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
    // The address is printed once the daemon accepts connections; the socket
    // file alone appears before it listens.
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(20000))
            return QStringLiteral("the session bus did not open its socket");
    }
    return QString();
}

bool PrivateSessionBus::appeared(const QString &socket)
{
    const QDeadlineTimer deadline(5000);
    while (!QFile::exists(socket) && !deadline.hasExpired())
        QThread::msleep(10);
    return QFile::exists(socket);
}

void PrivateSessionBus::stop()
{
    if (!isRunning())
        return;
    {
        const QString name = QStringLiteral("tarnwick-test-bus-stop");
        QDBusConnection bus = QDBusConnection::connectToBus(address(), name);
        if (bus.isConnected()) {
            const qint64 daemon = m_daemon.processId();
            for (const QString &service : bus.interface()->registeredServiceNames().value()) {
                const uint pid = bus.interface()->servicePid(service).value();
                if (pid > 0 && qint64(pid) != daemon && qint64(pid) != QCoreApplication::applicationPid())
                    ::kill(pid_t(pid), SIGTERM);
            }
        }
        QDBusConnection::disconnectFromBus(name);
    }
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000)) {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
}
