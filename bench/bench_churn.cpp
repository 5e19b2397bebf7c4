// What a busy desktop costs the running application: the real tarnwick on
// the rig's desktop and audio server, 20 recorders that start a stream, stop
// it 200 ms later and start again 200 ms after that (100 stream starts and
// stops a second), and a program opening a stand-in camera node every 10 ms
// (mknod needs root; without it there is no prober), each alone and together.
// Prints Tarnwick's CPU use and what it wrote, per minute, next to the same
// time idle.
//
//   bench_churn [seconds per phase, default 60]
//   TARNWICK_BINARY=<another build's tarnwick> bench_churn   compares with that build

#include "ChildProcess.h"
#include "PrivateTarnwick.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

struct Usage {
    double cpuSeconds = 0;
    double written = 0; // bytes through write calls (files, sockets, pipes)
    double stored = 0;  // bytes that reached storage
};

Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        // Fields after the command, which may hold spaces: state is field 3, utime 14, stime 15.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        usage.cpuSeconds =
            (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
    }
    QFile io(QStringLiteral("/proc/%1/io").arg(pid));
    if (io.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : io.readAll().split('\n')) {
            if (line.startsWith("wchar: "))
                usage.written = line.mid(7).toDouble();
            else if (line.startsWith("write_bytes: "))
                usage.stored = line.mid(13).toDouble();
        }
    }
    return usage;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the times a file in `folder` is replaced (written whole and renamed over).
class Replacements {
public:
    explicit Replacements(const QString &folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO);
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            alignas(inotify_event) char buffer[4096];
            for (ssize_t length; (length = read(m_fd, buffer, sizeof buffer)) > 0;) {
                for (ssize_t at = 0; at < length;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                    at += ssize_t(sizeof(inotify_event) + event->len);
                    ++count;
                }
            }
        });
    }
    ~Replacements() { close(m_fd); }
    int count = 0;

private:
    int m_fd;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

void report(const char *phase, const Usage &from, const Usage &to, int replaced, double seconds)
{
    const double perMinute = 60.0 / seconds;
    std::printf("%-44s CPU %5.1f %% of a core   written %8.2f MB/min   stored %8.2f MB/min   "
                "history written %5.0f times/min\n",
                phase, 100.0 * (to.cpuSeconds - from.cpuSeconds) / seconds,
                (to.written - from.written) * perMinute / 1e6, (to.stored - from.stored) * perMinute / 1e6,
                replaced * perMinute);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, QByteArray(argv[1]).toInt()) : 60;
    // TARNWICK_BINARY may name another build to compare with.
    if (qEnvironmentVariableIsEmpty("TARNWICK_BINARY"))
        qputenv("TARNWICK_BINARY", TARNWICK_BINARY_PATH);

    QTemporaryDir devices;
    const QString node = devices.filePath(QStringLiteral("video0"));
    const bool haveNode = mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    if (!haveNode)
        std::printf("camera prober: skipped (mknod needs root)\n");

    PrivateTarnwick tarnwick;
    tarnwick.environment().insert(QStringLiteral("TARNWICK_CAMERA_DEVICES"), devices.path());
    const QString data = tarnwick.filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    QProcess &process = tarnwick.launch();
    if (!process.waitForStarted()) {
        std::printf("tarnwick did not start\n");
        return 1;
    }
    runFor(3000); // settles: first scans, tray icon, audio connection
    const qint64 pid = process.processId();
    Replacements replaced(data);

    const Usage idleFrom = usageOf(pid);
    runFor(seconds * 1000);
    const Usage idleTo = usageOf(pid);
    report("idle", idleFrom, idleTo, replaced.count, seconds);

    // Each load alone, then both: what each costs is seen apart.
    const auto measure = [&](const char *phase, bool recorders, bool prober) {
        std::vector<std::unique_ptr<ChildProcess>> churn;
        for (int i = 0; recorders && i < 20; ++i)
            churn.push_back(std::make_unique<ChildProcess>(
                QStringLiteral(PULSE_RECORD_CLIENT),
                QStringList{QStringLiteral("--churn"), QStringLiteral("200")}));
        if (prober)
            churn.push_back(std::make_unique<ChildProcess>(
                QStringLiteral(DEVICE_HOLDER),
                QStringList{QStringLiteral("--every"), QStringLiteral("10"), node}));
        runFor(2000);
        replaced.count = 0;
        const Usage from = usageOf(pid);
        runFor(seconds * 1000);
        report(phase, from, usageOf(pid), replaced.count, seconds);
    };
    measure("20 recorders every 200 ms", true, false);
    if (haveNode) {
        measure("camera probed every 10 ms", false, true);
        measure("both", true, true);
    }
    if (process.state() != QProcess::Running)
        std::printf("tarnwick ended during the run\n");
    return 0;
}
