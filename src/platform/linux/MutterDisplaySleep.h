#pragma once

#include "DesktopAction.h"

#include <QDBusConnection>

// Puts the displays to sleep through GNOME's compositor (Mutter's display
// configuration, its PowerSaveMode property set to off), for GNOME on
// Wayland, where no program reaches the displays' power control itself.
class MutterDisplaySleep : public DesktopAction {
    Q_OBJECT
public:
    explicit MutterDisplaySleep(QDBusConnection session, QObject *parent = nullptr);

    void probe() override;
    void run() override;

private:
    QDBusConnection m_session;
};
