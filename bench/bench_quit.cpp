// Listing running apps for the quit section: 50 small X clients, each with a
// child process, listed from the window manager's client list and measured
// over their process trees. Prints the part on the main thread (the window
// list) and the part on the worker (processes, desktop entries, memory).
// Needs a desktop: scripts/desktop-rig.sh build/bench/bench_quit
#include "BenchTiming.h"
#include "LinuxAppProcesses.h"
#include "LinuxProcessDirectory.h"
#include "RunningApps.h"
#include "X11AppWindows.h"

#include <QApplication>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    constexpr int appCount = 50;
    constexpr int rounds = 20;
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < appCount; ++i) {
        auto client = std::make_unique<QProcess>();
        client->start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep 600 & exec xmessage -name bench%1 app %1").arg(i)});
        clients.push_back(std::move(client));
    }
    X11AppWindows windows;
    auto processes = std::make_shared<LinuxAppProcesses>(std::make_shared<LinuxProcessDirectory>());
    const qint32 me = qint32(QCoreApplication::applicationPid());
    RunningApps running(windows, processes, me);
    QList<AppEntry> listed;
    QObject::connect(&running, &RunningApps::listed,
                     [&listed](const QList<AppEntry> &apps) { listed = apps; });
    const double shown = BenchTiming::whenTrue(&running, &RunningApps::listed, [&] {
        running.refresh(false);
        return listed.size() >= appCount;
    });
    if (shown < 0) {
        out << "the " << appCount << " clients did not all show (" << listed.size() << " listed)\n";
        return 1;
    }

    QList<double> onMain, offMain, onMainCpu, offMainCpu;
    for (int round = 0; round < rounds; ++round) {
        // What refresh() does on the main thread: the window list and its owners.
        double start = BenchTiming::nowMs();
        double startCpu = BenchTiming::threadCpuMs();
        const QList<AppProcesses::WindowOwner> owners =
            RunningApps::owners(windows.windows(), me);
        onMain.append(BenchTiming::nowMs() - start);
        onMainCpu.append(BenchTiming::threadCpuMs() - startCpu);
        // What the worker does with them.
        start = BenchTiming::nowMs();
        startCpu = BenchTiming::threadCpuMs();
        const QList<ListedApp> apps = processes->apps(owners, true);
        offMain.append(BenchTiming::nowMs() - start);
        offMainCpu.append(BenchTiming::threadCpuMs() - startCpu);
        if (apps.size() < appCount)
            out << "round " << round << ": only " << apps.size() << " apps\n";
    }
    quint64 bytes = 0;
    for (const ListedApp &entry : processes->apps(RunningApps::owners(windows.windows(), me), true))
        bytes += entry.memory;
    out << "apps listed: " << listed.size() << " (each with a child process)\n";
    // The processor time leaves out waiting for a busy machine (and, on the
    // main thread, for the X server's answer).
    const auto report = [&out](const char *what, const QList<double> &wall, const QList<double> &cpu) {
        out << what << ": median " << BenchTiming::median(wall) << " ms, worst "
            << *std::max_element(wall.begin(), wall.end()) << " ms; processor time median "
            << BenchTiming::median(cpu) << " ms\n";
    };
    report("on the main thread (window list)", onMain, onMainCpu);
    report("off the main thread (trees, entries, memory)", offMain, offMainCpu);
    out << "memory of all trees: " << bytes / 1024 << " KiB\n";
    for (auto &client : clients) {
        QProcess::execute(QStringLiteral("pkill"),
                          {QStringLiteral("-P"), QString::number(client->processId())});
        client->kill();
    }
    for (auto &client : clients)
        client->waitForFinished();
    return 0;
}
