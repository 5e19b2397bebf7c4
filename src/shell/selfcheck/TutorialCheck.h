#pragma once

#include "MenuActions.h"

#include <QString>

class Halo;
class HubPanel;
class Report;
class SensorModel;
class Settings;
class Tutorial;
class Windows;

// Walks through the tutorial in its real window, pressing its buttons: the
// demonstrations light the halo and name the sample apps without being
// recorded, the hub step opens the hub, Skip ends it for good, and the Help
// menu brings it back.
namespace TutorialCheck {

struct App {
    Settings &settings;
    Tutorial &tutorial;
    Windows &windows;
    MenuActions actions;
    Halo &halo;
    HubPanel &panel;
    SensorModel &sensors;
};

// Answers the process exit status.
int run(Report &report, const App &app);

} // namespace TutorialCheck
