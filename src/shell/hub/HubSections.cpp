#include "HubSections.h"

void HubSections::add(HubTab tab, Factory make, Badge badge)
{
    m_entries.insert(tab, {std::move(make), std::move(badge)});
}

QWidget *HubSections::make(HubTab tab) const
{
    const auto entry = m_entries.constFind(tab);
    return entry != m_entries.constEnd() && entry->make ? entry->make() : nullptr;
}

int HubSections::badge(HubTab tab) const
{
    const auto entry = m_entries.constFind(tab);
    return entry != m_entries.constEnd() && entry->badge ? entry->badge() : 0;
}
