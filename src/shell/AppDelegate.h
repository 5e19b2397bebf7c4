#pragma once

#include "AppInfo.h"
#include "Autostart.h"
#include "Backends.h"
#include "DefaultsStore.h"
#include "HubSections.h"
#include "HubState.h"
#include "LaunchOptions.h"
#include "MenuActions.h"
#include "Prefs.h"
#include "Settings.h"

#include <QColor>
#include <QObject>
#include <QProcessEnvironment>

#include <memory>
#include <optional>

class BusObject;
class Halo;
class Hub;
class HubPanel;
class Mirror;
class NotchTrigger;
class PoliteTerminator;
class QuitModel;
class Quitter;
class RunningApps;
class SiblingApps;
class SensorAnnouncer;
class ShelfStore;
struct SensorState;
class SelfCheckRun;
class StatusItem;
class UpdatePrompt;
class Tools;
class Tutorial;
class VpnList;
class Windows;

// Owns every long-lived object of the shell, wires them together at launch,
// runs a self-check mode when one was asked for, and carries the
// application-level actions of the menus.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate(const AppInfo &info, const Prefs &prefs, Backends backends, const LaunchOptions &options,
                const QProcessEnvironment &env, QObject *parent = nullptr);
    ~AppDelegate() override;

    void launch();
    void shutDown();

    void statusClicked();
    void openHub();
    // The titled windows, in front; the hub closes for them.
    void showHistory();
    void showSettings();
    void showTutorial();
    void showAbout();
    void openHelp();
    void checkForUpdates();
    void toggleEverythingOff();
    // What every menu item calls.
    MenuActions menuActions();
    void note(const QString &text, std::optional<QColor> swatch = std::nullopt);

    Hub *hub() const { return m_hub.get(); }
    StatusItem *statusItem() const { return m_statusItem.get(); }
    HubPanel *panel() const { return m_panel.get(); }
    // Where each hub section registers what it shows.
    HubSections &hubSections() { return m_hubSections; }
    Autostart &autostart() { return m_autostart; }
    Windows &windows() { return *m_windows; }
    Tutorial *tutorial() const { return m_tutorial.get(); }

Q_SIGNALS:
    // A self-check mode has ended; the process should exit with `exitCode`.
    void selfCheckFinished(int exitCode);

private:
    void setUpStatusItem();
    void registerSections();
    void shelfMade(ShelfStore &store);
    void wireCallbacks();
    void refreshHalo();
    void sensorsChanged(const SensorState &before, const SensorState &after);

    AppInfo m_info;
    Prefs m_prefs;
    QProcessEnvironment m_env;
    Backends m_backends;
    LaunchOptions m_options;
    DefaultsStore m_defaults;
    Settings m_settings;
    Autostart m_autostart;
    std::unique_ptr<Halo> m_halo;
    std::unique_ptr<RunningApps> m_runningApps;
    std::unique_ptr<Quitter> m_quitter;
    std::unique_ptr<PoliteTerminator> m_terminator;
    std::unique_ptr<QuitModel> m_quitModel;
    std::unique_ptr<Hub> m_hub;
    std::unique_ptr<VpnList> m_vpns;
    std::unique_ptr<Tools> m_tools;
    std::unique_ptr<Windows> m_windows;
    std::unique_ptr<Tutorial> m_tutorial;
    std::unique_ptr<Mirror> m_mirror;
    std::unique_ptr<SiblingApps> m_siblings;
    std::unique_ptr<RunningApps> m_runningSiblings;
    HubState m_hubState;
    HubSections m_hubSections;
    std::unique_ptr<HubPanel> m_panel;
    std::unique_ptr<NotchTrigger> m_trigger;
    std::unique_ptr<SensorAnnouncer> m_announcer;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<SelfCheckRun> m_selfCheck;
    std::unique_ptr<BusObject> m_bus;
    std::unique_ptr<UpdatePrompt> m_updates;
    double m_statusShownSeconds = 0;
};
