#pragma once

#include "DesktopToggle.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

// Keeps the computer and the screen awake: the desktop's screen saver is
// inhibited (org.freedesktop.ScreenSaver) and logind holds an idle and sleep
// inhibitor for as long as its file descriptor is open. On while either is
// held. Both go with the process, also when it crashes: the inhibitor's
// descriptor closes and the screen saver drops the holds of a client that
// left the bus.
class InhibitorKeepAwake : public DesktopToggle {
    Q_OBJECT
public:
    // `who` and `why` are what the desktop shows of the hold.
    InhibitorKeepAwake(QDBusConnection session, QDBusConnection system, QString who, QString why,
                       QObject *parent = nullptr);
    ~InhibitorKeepAwake() override;

    void probe() override;
    void setOn(bool on) override;

private:
    void take();
    void release();

    QDBusConnection m_session;
    QDBusConnection m_system;
    QString m_who;
    QString m_why;
    bool m_wanted = false;
    bool m_taking = false;
    quint32 m_cookie = 0;
    QDBusUnixFileDescriptor m_inhibitor;
};
