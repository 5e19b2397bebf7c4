#pragma once

#include "DelayedTask.h"

// A DelayedTask whose time moves only when a test says so.
class ManualTask : public DelayedTask {
public:
    void start(std::chrono::milliseconds delay, std::function<void()> work) override
    {
        m_due = m_now + delay;
        m_work = std::move(work);
    }
    void cancel() override { m_work = nullptr; }
    bool isPending() const override { return bool(m_work); }

    // Moves time on, running the work when its moment comes.
    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        if (m_work && m_now >= m_due) {
            auto work = std::move(m_work);
            m_work = nullptr;
            work();
        }
    }

private:
    std::chrono::milliseconds m_now{0};
    std::chrono::milliseconds m_due{0};
    std::function<void()> m_work;
};
