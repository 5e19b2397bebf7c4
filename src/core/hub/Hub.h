#pragma once

#include "PrivacySwitch.h"
#include "SensorModel.h"

#include <memory>

class AppTerminator;
class SensorWatcher;
class Settings;

// What the hub is given besides its settings.
struct HubServices {
    // The one sensor watcher of the process. Without one nothing is watched.
    std::unique_ptr<SensorWatcher> sensors;
    // Where "history.json" lives; empty keeps the history in memory only.
    QString dataFolder;
    AppTerminator *appTerminator = nullptr;
    PrivacyServices privacy{};
};

// The model the shell talks to: the settings, what the sensors report and the
// privacy switch, made together and started together. Whatever needs only
// one part is handed only that part.
class Hub {
public:
    Hub(Settings &settings, const AppInfo &info, HubServices services = {});

    // Called once after launch: starts watching the sensors and puts the
    // switch back the way the last run left it.
    void start();

    Settings &settings() const { return m_settings; }
    SensorModel &sensors() { return m_sensors; }
    PrivacySwitch &privacy() { return m_privacy; }

private:
    Settings &m_settings;
    SensorModel m_sensors;
    PrivacySwitch m_privacy;
};
