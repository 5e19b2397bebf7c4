#pragma once

#include "MicSoundRow.h"

class AppTerminator;
class HubSections;
class PrivacySwitch;
class SensorModel;
class VpnList;

// What the privacy section works with; everything outlives every opening of
// the hub, whose section is made afresh each time.
struct PrivacySection {
    SensorModel &sensors;
    PrivacySwitch &privacy;
    AppTerminator &terminator;
    // This process, never offered for quitting.
    qint32 ownPid = 0;
    MicSoundRow::Panel panel{};
    // Without one the section has no VPN row.
    VpnList *vpns = nullptr;
    // Opens the history window; without it the section has no link to it.
    std::function<void()> showHistory{};

    void addTo(HubSections &sections) const;
};
