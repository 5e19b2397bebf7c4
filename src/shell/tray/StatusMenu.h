#pragma once

#include "MenuActions.h"

#include <QMenu>

class PrivacySwitch;
struct SensorState;

// The menu of the status item, built from the sensor state and the switch
// each time it opens and again when the sensors change while it is open.
namespace StatusMenu {

void fill(QMenu &menu, const SensorState &state, const PrivacySwitch &privacy, const MenuActions &actions);

} // namespace StatusMenu
