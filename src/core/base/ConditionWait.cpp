#include "ConditionWait.h"

ConditionWait *ConditionWait::start(QObject *context, int timeoutMs, std::function<bool()> condition,
                                    std::function<void(bool held)> finished)
{
    auto *wait = new ConditionWait(context, std::move(condition), std::move(finished));
    wait->m_timeout.setSingleShot(true);
    connect(&wait->m_timeout, &QTimer::timeout, wait, [wait] { wait->end(wait->m_condition()); });
    wait->m_timeout.start(timeoutMs);
    QMetaObject::invokeMethod(wait, &ConditionWait::check, Qt::QueuedConnection);
    return wait;
}

ConditionWait::ConditionWait(QObject *context, std::function<bool()> condition,
                             std::function<void(bool)> finished)
    : QObject(context)
    , m_condition(std::move(condition))
    , m_finished(std::move(finished))
{}

void ConditionWait::check()
{
    if (!m_ended && m_condition())
        end(true);
}

void ConditionWait::end(bool held)
{
    if (m_ended)
        return;
    m_ended = true;
    m_timeout.stop();
    deleteLater();
    m_finished(held);
}
