#pragma once

#include <functional>

// What the menus ask the application to do; each menu item calls one.
struct MenuActions {
    std::function<void()> openHub;
    std::function<void()> toggleEverythingOff;
    std::function<void()> showHistory;
    std::function<void()> showSettings;
    std::function<void()> checkForUpdates;
    std::function<void()> showTutorial;
    std::function<void()> showAbout;
    std::function<void()> openHelp;
    std::function<void()> quit;
};
