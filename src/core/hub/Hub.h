#pragma once

#include "PrivacySwitch.h"
#include "SensorModel.h"

#include <functional>
#include <memory>

class AppTerminator;
class SensorWatcher;
class Settings;
class ShelfFileSystem;
class ShelfStore;

// What the hub is given besides its settings.
struct HubServices {
    // The one sensor watcher of the process. Without one nothing is watched.
    std::unique_ptr<SensorWatcher> sensors;
    // Where "history.json" lives; empty keeps the history in memory only.
    QString dataFolder;
    AppTerminator *appTerminator = nullptr;
    PrivacyServices privacy{};
    // Where the shelf keeps its own copies, in a folder "Shelf".
    QString cacheFolder;
    // What the shelf finds files with; needed once the shelf is used.
    ShelfFileSystem *shelfFiles = nullptr;
};

// The model the shell talks to: the settings, what the sensors report and the
// privacy switch, made together and started together. Whatever needs only
// one part is handed only that part.
class Hub {
public:
    Hub(Settings &settings, const AppInfo &info, HubServices services = {});
    ~Hub();

    // Called once after launch: starts watching the sensors and puts the
    // switch back the way the last run left it.
    void start();

    Settings &settings() const { return m_settings; }
    SensorModel &sensors() { return m_sensors; }
    PrivacySwitch &privacy() { return m_privacy; }
    // Made at its first use: a run that never shows the shelf never reads it.
    ShelfStore &shelf();
    // Told once, when the shelf has been made.
    void onShelfMade(std::function<void(ShelfStore &)> made) { m_shelfMade = std::move(made); }

private:
    Settings &m_settings;
    SensorModel m_sensors;
    PrivacySwitch m_privacy;
    QString m_dataFolder;
    QString m_cacheFolder;
    ShelfFileSystem *m_shelfFiles;
    std::unique_ptr<ShelfStore> m_shelf;
    std::function<void(ShelfStore &)> m_shelfMade;
};
