#pragma once

#include "HubTab.h"

#include <QMap>

#include <functional>

class QWidget;

// What each hub section shows, registered by whoever builds it, so the hub's
// frame never changes when a section arrives. A section without an entry
// shows its title only.
class HubSections {
public:
    // Makes the section's content afresh each time it is shown; the hub
    // owns and deletes what it returns.
    using Factory = std::function<QWidget *()>;
    // A number shown on the section's button; nothing shows while it is 0.
    using Badge = std::function<int()>;

    void add(HubTab tab, Factory make, Badge badge = {});
    // Nothing when the section has no entry.
    QWidget *make(HubTab tab) const;
    int badge(HubTab tab) const;

private:
    struct Entry {
        Factory make;
        Badge badge;
    };
    QMap<HubTab, Entry> m_entries;
};
