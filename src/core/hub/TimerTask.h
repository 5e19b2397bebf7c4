#pragma once

#include "DelayedTask.h"

#include <QTimer>

// A DelayedTask on a single-shot timer of the thread's event loop; nothing is
// armed while no work is pending.
class TimerTask : public DelayedTask {
public:
    TimerTask();

    void start(std::chrono::milliseconds delay, std::function<void()> work) override;
    void cancel() override;
    bool isPending() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_work;
};
