#pragma once

#include "AppProcesses.h"

// An application that ends when told to, or when asked to quit if it agrees.
class SimPinnedApp : public PinnedApp {
public:
    SimPinnedApp(QList<qint32> pids, bool quitsWhenAsked)
        : m_pids(std::move(pids))
        , m_quitsWhenAsked(quitsWhenAsked)
    {}

    QList<qint32> pids() const override { return m_pids; }
    bool running() const override { return m_running; }
    bool terminate() override;
    bool forceQuit() override;
    void whenGone(std::function<void()> gone) override;
    void end();

private:
    QList<qint32> m_pids;
    bool m_quitsWhenAsked;
    bool m_running = true;
    std::function<void()> m_gone;
};
