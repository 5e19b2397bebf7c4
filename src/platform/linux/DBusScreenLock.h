#pragma once

#include "DesktopAction.h"

#include <QDBusConnection>

#include <memory>

// Locks the screen through the desktop's screen locker on the session bus
// (the freedesktop, GNOME, Cinnamon, MATE or XFCE one, whichever answers),
// else through logind, which tells the session's locker to lock. A locker
// asked directly answers once it has locked; logind only passes the word on,
// so it comes last.
class DBusScreenLock : public DesktopAction {
    Q_OBJECT
public:
    // `sessionId` is logind's id of this session ($XDG_SESSION_ID); empty
    // lets logind find it.
    DBusScreenLock(QDBusConnection session, QDBusConnection system, QString sessionId,
                   QObject *parent = nullptr);

    void probe() override;
    void run() override;

private:
    void tryLocker(int index);
    void lockThroughLogind();

    QDBusConnection m_session;
    QDBusConnection m_system;
    QString m_sessionId;
};
