#include "HubPanelRules.h"

#include "HubState.h"

#include <algorithm>

HubPanelRules::HubPanelRules(HubState &state, Window window, Pointer pointer, Tasks tasks, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_window(std::move(window))
    , m_pointer(std::move(pointer))
    , m_closeWork(std::move(tasks.close))
    , m_releaseWork(std::move(tasks.releaseMemory))
{}

void HubPanelRules::open(std::optional<HubTab> tab)
{
    if (tab)
        m_tab = *tab;
    m_closeWork->cancel();
    if (isOpen()) {
        if (tab)
            m_state.setTab(*tab);
        return;
    }
    m_state.setTab(m_tab);
    m_frame = m_window.show();
    if (!m_frame)
        return;
    m_releaseWork->cancel();
    Q_EMIT openChanged(true);
}

void HubPanelRules::close()
{
    m_closeWork->cancel();
    if (!isOpen())
        return;
    m_tab = m_state.tab();
    m_frame.reset();
    m_window.discard();
    m_pinned = false;
    m_busy = 0;
    m_state.panelClosed();
    Q_EMIT openChanged(false);
    m_releaseWork->start(releaseDelay, [this] {
        if (!isOpen())
            Q_EMIT memoryReleasable();
    });
}

void HubPanelRules::scheduleClose()
{
    if (heldOpen() || !isOpen())
        return;
    m_closeWork->start(closeDelay, [this] { closeDue(); });
}

void HubPanelRules::closeDue()
{
    if (heldOpen() || !isOpen())
        return;
    if (m_frame->adjusted(-slack, -slack, slack, slack).contains(m_pointer.position()))
        return;
    if (m_pointer.buttonHeld())
        scheduleClose();
    else
        close();
}

void HubPanelRules::pointerEntered()
{
    m_closeWork->cancel();
}

void HubPanelRules::clickedElsewhere()
{
    if (!heldOpen())
        close();
}

void HubPanelRules::endBusy()
{
    m_busy = std::max(m_busy - 1, 0);
}
