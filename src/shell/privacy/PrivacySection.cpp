#include "PrivacySection.h"

#include "HubSections.h"
#include "PrivacyView.h"

void PrivacySection::addTo(HubSections &sections) const
{
    sections.add(HubTab::Privacy, [section = *this] {
        return new PrivacyView(section.sensors, section.privacy, section.terminator, section.ownPid,
                               section.panel, section.vpns, section.showHistory);
    });
}
