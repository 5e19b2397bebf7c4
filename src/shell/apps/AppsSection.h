#pragma once

#include <functional>

class HubSections;
class InstalledApps;
class Settings;
class SiblingApps;

// What the apps section works with: the siblings are looked up again each
// time the section is shown.
struct AppsSection {
    SiblingApps &siblings;
    Settings &settings;
    const InstalledApps &installed;
    std::function<void()> closePanel;

    void addTo(HubSections &sections) const;
};
