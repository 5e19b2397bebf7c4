#include "ToolsSection.h"

#include "HubSections.h"
#include "Tools.h"
#include "ToolsView.h"

void ToolsSection::addTo(HubSections &sections) const
{
    sections.add(HubTab::Tools, [section = *this] {
        section.tools.detect();
        return new ToolsView(section.tools, section.closePanel);
    });
}
