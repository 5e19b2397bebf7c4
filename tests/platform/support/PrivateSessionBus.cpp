#include "PrivateSessionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

PrivateSessionBus::PrivateSessionBus(Services services)
    : m_services(services)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    QDir(m_dir.path()).mkpath(QStringLiteral("services"));
}

QString PrivateSessionBus::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    m_daemon.setProcessEnvironment(env);
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--print-address"), QStringLiteral("--address=") + address()};
    if (m_services == Services::OnlyOwn) {
        // The session bus's rules, with no service folder but the test's own.
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        const QByteArray text = "<busconfig><type>session</type><listen>" +
                                address().toHtmlEscaped().toUtf8() + "</listen><servicedir>" +
                                servicesDir().toHtmlEscaped().toUtf8() +
                                "</servicedir><policy context=\"default\"><allow send_destination=\"*\" "
                                "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                "</policy></busconfig>";
        if (!config.open(QIODevice::WriteOnly) || config.write(text) != text.size() || !config.flush())
            return QStringLiteral("the bus configuration could not be written");
        arguments[0] = QStringLiteral("--config-file=") + config.fileName();
    }
    m_daemon.start(QStringLiteral("dbus-daemon"), arguments);
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
