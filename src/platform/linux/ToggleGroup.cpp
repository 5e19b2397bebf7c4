#include "ToggleGroup.h"

ToggleGroup::ToggleGroup(std::vector<std::unique_ptr<DesktopToggle>> members, QObject *parent)
    : DesktopToggle(parent)
    , m_members(std::move(members))
{
    for (const auto &member : m_members) {
        connect(member.get(), &DesktopFacility::changed, this, &ToggleGroup::update);
        connect(member.get(), &DesktopToggle::switched, this, &ToggleGroup::memberSwitched);
    }
}

void ToggleGroup::probe()
{
    for (const auto &member : m_members)
        member->probe();
    update();
}

void ToggleGroup::update()
{
    for (const auto &member : m_members) {
        if (member->isAvailable()) {
            setMissing(Missing::Nothing);
            setState(member->isOn());
            return;
        }
    }
    setMissing(m_members.empty() ? Missing::Service : m_members.front()->missing());
    setState(false);
}

void ToggleGroup::setOn(bool on)
{
    std::vector<DesktopToggle *> available;
    for (const auto &member : m_members) {
        if (member->isAvailable())
            available.push_back(member.get());
    }
    if (available.empty() || m_waiting > 0) {
        Q_EMIT switched(false);
        return;
    }
    // Members may answer at once, inside setOn().
    m_waiting = int(available.size());
    m_allOk = true;
    for (DesktopToggle *member : available)
        member->setOn(on);
}

void ToggleGroup::memberSwitched(bool ok)
{
    if (m_waiting == 0)
        return;
    m_allOk = m_allOk && ok;
    if (--m_waiting == 0)
        Q_EMIT switched(m_allOk);
}
