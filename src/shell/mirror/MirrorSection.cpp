#include "MirrorSection.h"

#include "CameraFeed.h"
#include "HubSections.h"
#include "MirrorView.h"

void MirrorSection::addTo(HubSections &sections) const
{
    sections.add(HubTab::Mirror, [section = *this] {
        section.mirror.refresh();
        return new MirrorView(section.mirror, section.feed());
    });
}
