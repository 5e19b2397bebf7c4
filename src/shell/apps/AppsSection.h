#pragma once

#include <QString>

#include <functional>

class HubSections;
class InstalledApps;
class RunningApps;
class Settings;
class SiblingApps;

// What the apps section works with: the siblings, and which of them run, are
// looked up again each time the section is shown.
struct AppsSection {
    SiblingApps &siblings;
    Settings &settings;
    const InstalledApps &installed;
    // Its own listing of the running apps, apart from the quit section's.
    RunningApps &running;
    std::function<void()> closePanel;
    // Says that an app could not be started.
    std::function<void(const QString &)> note;

    void addTo(HubSections &sections) const;
};
