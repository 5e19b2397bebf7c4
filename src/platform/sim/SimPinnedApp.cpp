#include "SimPinnedApp.h"

bool SimPinnedApp::terminate()
{
    if (m_running && m_quitsWhenAsked)
        end();
    return m_running || m_quitsWhenAsked;
}

bool SimPinnedApp::forceQuit()
{
    const bool was = m_running;
    end();
    return was;
}

void SimPinnedApp::whenGone(std::function<void()> gone)
{
    m_gone = std::move(gone);
    if (!m_running)
        end();
}

void SimPinnedApp::end()
{
    m_running = false;
    if (m_gone)
        std::exchange(m_gone, {})();
}
