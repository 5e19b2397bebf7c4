#include "SimDiskEjector.h"

void SimDiskEjector::ejectAll()
{
    int count = 0;
    QStringList failed;
    QList<Disk> left;
    for (const Disk &disk : disks) {
        if (disk.busy) {
            failed.append(disk.name);
            left.append(disk);
        } else {
            ++count;
        }
    }
    disks = left;
    Q_EMIT ejected(count, failed);
}
