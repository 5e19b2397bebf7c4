#pragma once

#include <chrono>
#include <functional>

// Work that runs once after a delay unless cancelled or restarted first. The
// hub's rules wait through it, so tests can move time by hand.
class DelayedTask {
public:
    virtual ~DelayedTask() = default;
    // Replaces whatever was pending.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> work) = 0;
    virtual void cancel() = 0;
    virtual bool isPending() const = 0;
};
