#pragma once

#include <QMenu>

#include <functional>

class Hub;

// The menu of the status item, built from the hub's state each time it opens
// and again when the sensors change while it is open.
namespace StatusMenu {

struct Actions {
    std::function<void()> toggleEverythingOff;
    std::function<void()> quit;
};

void fill(QMenu &menu, const Hub &hub, const Actions &actions);

} // namespace StatusMenu
