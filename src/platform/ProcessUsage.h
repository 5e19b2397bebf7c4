#pragma once

#include <QtGlobal>

// What this process costs the machine, for the idle and sensor reports.
struct ProcessUsageSample {
    double cpuSeconds = 0;      // processor time of all threads
    quint64 wakeups = 0;        // times a thread went to sleep and was woken again
    quint64 footprintBytes = 0; // memory that is this process's own (not shared libraries)
    quint64 residentBytes = 0;
};

class ProcessUsage {
public:
    virtual ~ProcessUsage() = default;
    virtual ProcessUsageSample sample() const = 0;
    // Time since the process was started, for start-up measurements.
    virtual double secondsSinceStart() const = 0;
};
