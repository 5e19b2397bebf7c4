#pragma once

#include <functional>

class HubSections;
class Tools;

// What the tools section works with; the tools outlive every opening of the
// hub, whose section is made afresh (and the desktop asked again what it
// offers) each time.
struct ToolsSection {
    Tools &tools;
    std::function<void()> closePanel;

    void addTo(HubSections &sections) const;
};
