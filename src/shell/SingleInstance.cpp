#include "SingleInstance.h"

#include "BusObject.h"
#include "Log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int answerTimeoutMs = 2000;
// The running one takes its bus name once it has started its hub.
constexpr int nameTimeoutMs = 5000;

bool awaitName(const QDBusConnection &bus, const QString &name)
{
    QDBusServiceWatcher watcher(name, bus, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(nameTimeoutMs, &loop, &QEventLoop::quit);
    // Asked after the watcher is in place, so a name taken in between is not missed.
    if (!bus.interface()->isServiceRegistered(name))
        loop.exec();
    return bus.interface()->isServiceRegistered(name);
}
} // namespace

SingleInstance::SingleInstance(QString lockPath, QString busName)
    : m_lockPath(std::move(lockPath))
    , m_busName(std::move(busName))
{}

SingleInstance::~SingleInstance()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

bool SingleInstance::claim()
{
    if (takeLock())
        return true;
    askRunningInstance();
    return false;
}

bool SingleInstance::takeLock()
{
    const QByteArray path = QFile::encodeName(m_lockPath);
    // Close-on-exec: a program Tarnwick starts must not keep the lock alive.
    m_lock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0) {
        // Nothing to exclude others with; the bus name still tells a second launch where to go.
        qCWarning(lcShell).noquote().nospace()
            << "cannot open " << path << " (" << std::strerror(errno)
            << "); nothing keeps a second Tarnwick without a session bus from running beside this one";
        return !QDBusConnection::sessionBus().interface() ||
               !QDBusConnection::sessionBus().interface()->isServiceRegistered(m_busName);
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
        return true;
    ::close(m_lock);
    m_lock = -1;
    return false;
}

void SingleInstance::askRunningInstance()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcShell).noquote().nospace()
            << "already running; without a session bus (" << bus.lastError().message()
            << ") it cannot be asked to open the hub";
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(m_busName, BusObject::objectPath(m_busName),
                                                       QStringLiteral("org.freedesktop.Application"),
                                                       QStringLiteral("Activate"));
    call << QVariantMap();
    // Never start another one through the service file.
    call.setAutoStartService(false);
    if (awaitName(bus, m_busName) &&
        bus.call(call, QDBus::Block, answerTimeoutMs).type() == QDBusMessage::ReplyMessage)
        qCInfo(lcShell) << "already running; asked it to open the hub";
    else
        qCWarning(lcShell).noquote().nospace()
            << "already running, but it does not answer (stopped or busy); leaving the microphones to it";
}
