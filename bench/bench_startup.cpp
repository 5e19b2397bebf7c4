// Start-up, memory and idle cost of the real application: runs `tarnwick
// --idle-report` a few times inside the desktop rig and prints the figures.
//   bench_startup [runs] [idle seconds]    (defaults 5 and 20)
#include "BenchTiming.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Run {
    double startMs = 0, footprintMb = 0, residentMb = 0, cpuPercent = 0, wakeupsPerSecond = 0;
    int timers = 0;
};

double number(const QString &text, const char *pattern)
{
    const auto match = QRegularExpression(QLatin1String(pattern)).match(text);
    return match.hasMatch() ? match.captured(1).remove(QLatin1Char(',')).toDouble() : -1;
}

bool runOnce(const QString &binary, double idleSeconds, Run &run)
{
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARNWICK_DEFAULTS"), dir.filePath(QStringLiteral("settings.json")));
    env.insert(QStringLiteral("TARNWICK_DATA"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("TARNWICK_IDLE_SECONDS"), QString::number(idleSeconds));
    QProcess app;
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString report = dir.filePath(QStringLiteral("idle.txt"));
    app.start(binary, {QStringLiteral("--idle-report"), report});
    if (!app.waitForFinished(int(idleSeconds * 1000) + 30000))
        return false;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    run.startMs = number(text, R"(status item shown (\d+) ms)");
    run.footprintMb = number(text, R"(settled: memory ([\d.,]+) MB)");
    run.residentMb = number(text, R"(\(resident ([\d.,]+) MB\))");
    run.cpuPercent = number(text, R"(cpu [\d.]+ s \(([\d.]+)%\))");
    run.wakeupsPerSecond = number(text, R"(wakeups \d+ \(([\d.]+)/s\))");
    run.timers = int(number(text, R"(timers fired while idle: (\d+) of its own)"));
    return app.exitCode() == 0 || text.contains(QLatin1String("FAIL"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args.at(1).toInt() : 5;
    const double idleSeconds = args.size() > 2 ? args.at(2).toDouble() : 20;
    const QString binary = qEnvironmentVariable("TARNWICK_BINARY", QStringLiteral(TARNWICK_BINARY_PATH));

    QList<double> start, footprint, resident, cpu, wakeups;
    int timers = 0;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!runOnce(binary, idleSeconds, run)) {
            std::fprintf(stderr, "run %d failed (is a display and a tray host there? use scripts/bench.sh)\n",
                         i + 1);
            return 1;
        }
        start << run.startMs;
        footprint << run.footprintMb;
        resident << run.residentMb;
        cpu << run.cpuPercent;
        wakeups << run.wakeupsPerSecond;
        timers += run.timers;
    }
    std::printf("start-up to status item shown: median %.0f ms, max %.0f ms (target <= 300 ms)\n",
                BenchTiming::median(start), *std::max_element(start.begin(), start.end()));
    std::printf(
        "memory after start, nothing open: resident %.0f MB (target <= 40 MB), own footprint %.0f MB\n",
        BenchTiming::median(resident), BenchTiming::median(footprint));
    std::printf("idle over %.0f s: cpu median %.4f %% (target < 0.01 %%), wake-ups %.2f/s, timers fired %d "
                "(target 0)\n",
                idleSeconds, BenchTiming::median(cpu), BenchTiming::median(wakeups), timers);
    return 0;
}
