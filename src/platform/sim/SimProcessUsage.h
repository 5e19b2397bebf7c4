#pragma once

#include "ProcessUsage.h"

// Usage figures set by hand, for tests and demonstrations.
class SimProcessUsage : public ProcessUsage {
public:
    ProcessUsageSample sample() const override { return current; }
    double secondsSinceStart() const override { return sinceStart; }

    ProcessUsageSample current;
    double sinceStart = 0.1;
};
