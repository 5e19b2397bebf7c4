#include "TriggerDwell.h"

TriggerDwell::TriggerDwell(std::unique_ptr<DelayedTask> task, std::function<bool()> hoverEnabled,
                           QObject *parent)
    : QObject(parent)
    , m_task(std::move(task))
    , m_hoverEnabled(std::move(hoverEnabled))
{}

void TriggerDwell::pointerEntered()
{
    m_task->start(dwell, [this] {
        if (m_hoverEnabled())
            Q_EMIT openRequested(std::nullopt, false);
    });
}

void TriggerDwell::pointerLeft()
{
    m_task->cancel();
}

void TriggerDwell::pressed()
{
    m_task->cancel();
    Q_EMIT openRequested(std::nullopt, false);
}

void TriggerDwell::dragEntered()
{
    m_task->cancel();
    Q_EMIT openRequested(HubTab::Shelf, true);
}
