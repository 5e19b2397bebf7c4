#pragma once

#include "DesktopAction.h"

// Puts every display to sleep through the X server's power control (DPMS);
// any input wakes them. Missing on a server without DPMS and off X11.
class X11DisplaySleep : public DesktopAction {
    Q_OBJECT
public:
    using DesktopAction::DesktopAction;

    void probe() override;
    void run() override;
};
