#pragma once

#include <functional>

class FileManager;
class HubPanelRules;
class HubSections;
class HubState;
class ShelfStore;

// What the shelf section works with; everything outlives every opening of
// the hub, whose section is made afresh each time.
struct ShelfSection {
    // The hub's shelf, made at its first use.
    std::function<ShelfStore &()> shelf;
    HubState &state;
    HubPanelRules &rules;
    FileManager &files;

    // The section, and the number of entries as its button's badge.
    void addTo(HubSections &sections) const;
};
