#pragma once

#include "DiskEjector.h"

#include <QDBusConnection>

// Ejects through UDisks2 on the system bus. A disk counts when it is
// removable, ejectable or attached by USB, SDIO or FireWire and has a file
// system mounted (never the one at "/"). Each of its mounted file systems is
// unmounted (which waits for copies to finish), then the disk is ejected, or
// powered off where it cannot be ejected. The work runs on a thread of its
// own, as unmounting may take as long as the writes still to be flushed.
class UDisksEjector : public DiskEjector {
    Q_OBJECT
public:
    struct Result {
        int count = 0;
        QStringList failed;
    };

    explicit UDisksEjector(QDBusConnection system, QObject *parent = nullptr);

    void probe() override;
    void ejectAll() override;

    // The blocking work itself, on the calling thread.
    static Result ejectAllNow(QDBusConnection system);

    static constexpr int unmountTimeoutMs = 120000;

private:
    QDBusConnection m_system;
    bool m_running = false;
};
