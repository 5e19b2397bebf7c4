#include "TimerTask.h"

TimerTask::TimerTask()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // The work may start the task again.
        const std::function<void()> work = std::move(m_work);
        m_work = nullptr;
        if (work)
            work();
    });
}

void TimerTask::start(std::chrono::milliseconds delay, std::function<void()> work)
{
    m_work = std::move(work);
    m_timer.start(delay);
}

void TimerTask::cancel()
{
    m_timer.stop();
    m_work = nullptr;
}
