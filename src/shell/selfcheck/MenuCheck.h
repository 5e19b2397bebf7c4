#pragma once

#include "MenuActions.h"

#include <QtGlobal>

#include <functional>

class QMenu;
class Report;
class Windows;

// Checks the menus and the titled windows of the running app: what the menu
// bar and the status menu hold, that a window brings a menu bar and a
// taskbar entry, that Esc and Ctrl+W (typed as real keys) close it, and that
// the taskbar entry goes with the last window.
namespace MenuCheck {

struct App {
    Windows &windows;
    MenuActions actions;
    // Fills a menu as the status item fills its own.
    std::function<void(QMenu &)> fillStatusMenu;
    qint64 pid;
};

// Answers the process exit status.
int run(Report &report, const App &app);

} // namespace MenuCheck
