#pragma once

#include "ProcessUsage.h"

// This process's cost from the kernel: processor time from the process CPU
// clock, wake-ups as the voluntary context switches of all its threads, memory
// from /proc/self.
class ProcSelfUsage : public ProcessUsage {
public:
    ProcessUsageSample sample() const override;
    double secondsSinceStart() const override;
};
