#pragma once

#include <QMenu>

#include <functional>

class PrivacySwitch;
struct SensorState;

// The menu of the status item, built from the sensor state and the switch
// each time it opens and again when the sensors change while it is open.
namespace StatusMenu {

struct Actions {
    std::function<void()> toggleEverythingOff;
    std::function<void()> quit;
};

void fill(QMenu &menu, const SensorState &state, const PrivacySwitch &privacy, const Actions &actions);

} // namespace StatusMenu
