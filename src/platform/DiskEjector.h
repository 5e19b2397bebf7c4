#pragma once

#include "DesktopFacility.h"

#include <QStringList>

// Removable and external disks, made safe to unplug.
class DiskEjector : public DesktopFacility {
    Q_OBJECT
public:
    using DesktopFacility::DesktopFacility;

    // Unmounts every mounted file system of every removable or external
    // disk, then ejects or powers off the disk. Answers with ejected(); one
    // ejection at a time, a second call while one runs is ignored.
    virtual void ejectAll() = 0;

Q_SIGNALS:
    // How many disks are now safe to unplug, and the names of those that
    // could not be ejected (in the order the disks were found).
    void ejected(int count, const QStringList &failed);
};
