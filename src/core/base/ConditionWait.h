#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Waits without blocking until a condition holds: it is checked at once
// (from the event loop) and again whenever a watched signal fires, for at
// most `timeoutMs`. Then `finished` runs once, with whether it held, and the
// wait goes. It goes silently with `context`.
class ConditionWait : public QObject {
    Q_OBJECT
public:
    static ConditionWait *start(QObject *context, int timeoutMs, std::function<bool()> condition,
                                std::function<void(bool held)> finished);

    template <typename Sender, typename Signal> ConditionWait *recheckOn(const Sender *sender, Signal signal)
    {
        connect(sender, signal, this, &ConditionWait::check);
        return this;
    }

private:
    ConditionWait(QObject *context, std::function<bool()> condition, std::function<void(bool)> finished);
    void check();
    void end(bool held);

    std::function<bool()> m_condition;
    std::function<void(bool)> m_finished;
    QTimer m_timeout;
    bool m_ended = false;
};
