#pragma once

#include <functional>
#include <memory>

class CameraFeed;
class HubSections;
class Mirror;

// What the mirror section works with: the model, which outlives every
// opening of the hub, and a fresh camera feed for each showing.
struct MirrorSection {
    Mirror &mirror;
    std::function<std::unique_ptr<CameraFeed>()> feed;

    void addTo(HubSections &sections) const;
};
