// How long recording one sensor change takes with a full history of 2 000
// sessions: on the main thread (what the user could feel), and until the file
// is on disk (the writer's share, off the main thread).
#include "SensorHistory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

struct Figures {
    double median = 0;
    double p95 = 0;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    return {at(0.5), at(0.95)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int runs = 200;
    QTemporaryDir dir;
    SensorHistory history(dir.filePath(QStringLiteral("history.json")));
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < SensorHistory::cap; ++i) {
        const SensorUser user{1000 + i, QStringLiteral("Application %1").arg(i),
                              QStringLiteral("org.example.App%1").arg(i)};
        history.update(Sensor::Camera, {user}, start.addMSecs(i * 1500));
    }
    history.flush();

    const SensorUser caller{99, QStringLiteral("Video Call"), QStringLiteral("org.example.Call")};
    std::vector<double> mainThread;
    std::vector<double> onDisk;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        const QDateTime now = start.addSecs(4000 + i);
        const QList<SensorUser> users = i % 2 ? QList<SensorUser>{} : QList<SensorUser>{caller};
        timer.start();
        history.update(Sensor::Camera, users, now);
        history.update(Sensor::Microphone, users, now);
        mainThread.push_back(double(timer.nsecsElapsed()) / 1e6);
        history.flush();
        onDisk.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    const Figures felt = figures(mainThread);
    const Figures written = figures(onDisk);
    QTextStream out(stdout);
    out << "history: " << history.sessions().size() << " sessions, " << runs
        << " sensor changes (camera and microphone update each)\n";
    out << QStringLiteral("main thread: median %1 ms, p95 %2 ms (target 5 ms)\n")
               .arg(felt.median, 0, 'f', 3)
               .arg(felt.p95, 0, 'f', 3);
    out << QStringLiteral("until on disk: median %1 ms, p95 %2 ms\n")
               .arg(written.median, 0, 'f', 3)
               .arg(written.p95, 0, 'f', 3);
    return 0;
}
