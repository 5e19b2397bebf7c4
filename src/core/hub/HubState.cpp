#include "HubState.h"

HubState::HubState(QObject *parent)
    : QObject(parent)
{}

void HubState::setTab(HubTab tab)
{
    if (tab == m_tab)
        return;
    m_tab = tab;
    Q_EMIT tabChanged(tab);
}

void HubState::setNote(const std::optional<QString> &note)
{
    if (note == m_note)
        return;
    m_note = note;
    Q_EMIT noteChanged(note);
}

void HubState::setDropTargeted(bool targeted)
{
    if (targeted == m_dropTargeted)
        return;
    m_dropTargeted = targeted;
    Q_EMIT dropTargetedChanged(targeted);
}

void HubState::setDoors(const QList<HubDoor> &doors)
{
    if (doors == m_doors)
        return;
    m_doors = doors;
    Q_EMIT doorsChanged();
}

void HubState::panelClosed()
{
    setNote(std::nullopt);
    setDropTargeted(false);
    setDoors({});
}
