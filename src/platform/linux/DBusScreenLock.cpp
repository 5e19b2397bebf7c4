#include "DBusScreenLock.h"

#include "DBusCall.h"
#include "Log.h"

#include <QDBusObjectPath>

namespace {

struct Locker {
    const char *service;
    const char *path;
    const char *interface;
};

constexpr Locker lockers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver", "org.cinnamon.ScreenSaver"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver", "org.mate.ScreenSaver"},
    {"org.xfce.ScreenSaver", "/org/xfce/ScreenSaver", "org.xfce.ScreenSaver"},
};
constexpr int lockerCount = int(std::size(lockers));

const QString logind = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

// Locking waits for the locker to cover the screen, which may fade in first.
constexpr int lockTimeoutMs = 10000;

} // namespace

DBusScreenLock::DBusScreenLock(QDBusConnection session, QDBusConnection system, QString sessionId,
                               QObject *parent)
    : DesktopAction(parent)
    , m_session(std::move(session))
    , m_system(std::move(system))
    , m_sessionId(std::move(sessionId))
{}

void DBusScreenLock::probe()
{
    // Available as soon as any locker or logind is there.
    auto answers = std::make_shared<int>(0);
    auto found = std::make_shared<bool>(false);
    constexpr int expected = lockerCount + 1;
    const auto answered = [this, answers, found](bool owned) {
        *found = *found || owned;
        if (++*answers == expected)
            setMissing(*found ? Missing::Nothing : Missing::Service);
    };
    for (const Locker &locker : lockers)
        DBusCall::hasOwner(m_session, QString::fromLatin1(locker.service), this, answered);
    DBusCall::hasOwner(m_system, logind, this, answered);
}

void DBusScreenLock::run()
{
    tryLocker(0);
}

void DBusScreenLock::tryLocker(int index)
{
    if (index == lockerCount) {
        lockThroughLogind();
        return;
    }
    const Locker &locker = lockers[index];
    DBusCall::async(
        m_session,
        DBusCall::method(QString::fromLatin1(locker.service), QString::fromLatin1(locker.path),
                         QString::fromLatin1(locker.interface), QStringLiteral("Lock")),
        this,
        [this, index](const QDBusMessage &reply) {
            if (reply.type() == QDBusMessage::ReplyMessage) {
                qCInfo(lcTools) << "screen locked by" << lockers[index].service;
                Q_EMIT finished(true);
                return;
            }
            // A locker that is not running says so at once; the next one is asked.
            if (reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") &&
                reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
                qCWarning(lcTools).noquote()
                    << lockers[index].service << "did not lock:" << reply.errorMessage();
            tryLocker(index + 1);
        },
        lockTimeoutMs);
}

void DBusScreenLock::lockThroughLogind()
{
    // "auto" is the caller's session, or else the user's graphical one.
    const QDBusMessage find =
        DBusCall::method(logind, managerPath, managerInterface, QStringLiteral("GetSession"),
                         {m_sessionId.isEmpty() ? QStringLiteral("auto") : m_sessionId});
    DBusCall::async(m_system, find, this, [this](const QDBusMessage &found) {
        const QString path = found.arguments().value(0).value<QDBusObjectPath>().path();
        if (found.type() != QDBusMessage::ReplyMessage || path.isEmpty()) {
            qCWarning(lcTools).noquote()
                << "no screen locker and no login session to lock:" << found.errorMessage();
            Q_EMIT finished(false);
            return;
        }
        DBusCall::async(m_system,
                        DBusCall::method(logind, path, QStringLiteral("org.freedesktop.login1.Session"),
                                         QStringLiteral("Lock")),
                        this, [this, path](const QDBusMessage &locked) {
                            const bool ok = locked.type() == QDBusMessage::ReplyMessage;
                            if (ok)
                                qCInfo(lcTools).noquote() << "lock asked of the session" << path;
                            else
                                qCWarning(lcTools).noquote()
                                    << "logind did not lock:" << locked.errorMessage();
                            Q_EMIT finished(ok);
                        });
    });
}
