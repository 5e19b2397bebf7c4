// /proc files of a process that may be anyone's: stat (its name is the
// process's own choice), status, cgroup, and the .flatpak-info of its root,
// which a sandboxed app can write. The input is those four files, in that
// order, split at lines holding only "@@".
#include "FuzzSupport.h"
#include "LinuxProcessDirectory.h"
#include "ProcFs.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    FuzzSupport::writeScratch(QStringLiteral("apps/org.example.App.desktop"),
                              "[Desktop Entry]\nType=Application\nName=App\nExec=app\n");
    FuzzSupport::writeScratch(QStringLiteral("proc/1/stat"),
                              "1 (init) S 0 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> files = FuzzSupport::parts(data, size, 4);
    FuzzSupport::writeScratch(QStringLiteral("proc/100/stat"), files[0]);
    FuzzSupport::writeScratch(QStringLiteral("proc/100/status"), files[1]);
    FuzzSupport::writeScratch(QStringLiteral("proc/100/cgroup"), files[2]);
    FuzzSupport::writeScratch(QStringLiteral("proc/100/root/.flatpak-info"), files[3]);
    FuzzSupport::writeScratch(QStringLiteral("proc/100/comm"), files[0].left(15));

    const QString scratch = FuzzSupport::scratchFolder();
    const QString proc = scratch + QStringLiteral("/proc");
    const LinuxProcessDirectory processes(proc, {scratch + QStringLiteral("/apps")},
                                          scratch + QStringLiteral("/cgroup"));
    processes.runningApp(100);
    processes.responsible(100);
    processes.parent(100);
    processes.processName(100);
    processes.startTime(100);
    ProcFs::footprintBytes(100, proc);
    ProcFs::statusValue(files[1], "VmRSS");
    for (const QByteArray &line : files[2].split('\n'))
        LinuxProcessDirectory::appIdsOfUnit(QString::fromUtf8(line.mid(line.lastIndexOf('/') + 1)));
    return 0;
}
