#include "ProcSelfUsage.h"

#include "ProcFs.h"

#include <QDir>

#include <ctime>
#include <unistd.h>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0)
        return 0;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// A thread that blocks and is woken again counts one voluntary switch; summed
// over the threads alive now (the leader's own count covers only itself).
quint64 voluntarySwitches()
{
    quint64 total = 0;
    const QString tasks = QStringLiteral("/proc/self/task");
    const QStringList ids = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids) {
        const QByteArray status = ProcFs::readFile(tasks + QLatin1Char('/') + id + QStringLiteral("/status"));
        total += ProcFs::statusValue(status, "voluntary_ctxt_switches").value_or(0);
    }
    return total;
}

} // namespace

ProcessUsageSample ProcSelfUsage::sample() const
{
    ProcessUsageSample s;
    s.cpuSeconds = processCpuSeconds();
    s.wakeups = voluntarySwitches();
    s.footprintBytes = ProcFs::footprintBytes(getpid()).value_or(0);
    s.residentBytes = ProcFs::residentBytes(getpid()).value_or(0);
    return s;
}

double ProcSelfUsage::secondsSinceStart() const
{
    // starttime (field 22) is in clock ticks after boot, like the first figure of /proc/uptime.
    const QList<QByteArray> fields = ProcFs::statFields(getpid());
    const QByteArray uptime = ProcFs::readFile(QStringLiteral("/proc/uptime"));
    if (fields.size() < 20 || uptime.isEmpty())
        return 0;
    const double started = fields.at(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    return uptime.split(' ').constFirst().toDouble() - started;
}
