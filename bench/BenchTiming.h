#pragma once

// Timing helpers the benchmarks share: a monotonic clock in milliseconds, a
// median, and a wait that runs the event loop until something has become true.

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>

namespace BenchTiming {

// The middle value; 0 for none.
inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

inline double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Processor time of the calling thread: what a figure costs whatever else
// the machine is busy with.
inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Runs the event loop until `done` holds, checking whenever `signal` fires;
// the time it first held, or a negative number after 10 s.
template <typename Object, typename Signal>
double whenTrue(Object *sender, Signal signal, const std::function<bool()> &done)
{
    if (done())
        return nowMs();
    double at = -1;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done()) {
            at = nowMs();
            loop.quit();
        }
    });
    // A timer of its own, gone with the wait: a stray one would fire later
    // into a benchmark counting what runs while idle.
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(10000);
    loop.exec();
    return at;
}

} // namespace BenchTiming
