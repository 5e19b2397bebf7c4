#pragma once

#include "DiskEjector.h"

#include <QList>

// Disks that eject unless busy; ejected ones are gone afterwards.
class SimDiskEjector : public DiskEjector {
    Q_OBJECT
public:
    struct Disk {
        QString name;
        bool busy = false;
    };

    using DiskEjector::DiskEjector;

    QList<Disk> disks;
    Missing missingHere = Missing::Nothing;

    void probe() override { setMissing(missingHere); }
    void ejectAll() override;
};
