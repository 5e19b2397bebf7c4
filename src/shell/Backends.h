#pragma once

#include "AppProcesses.h"
#include "AppWindows.h"
#include "AudioCaptureSource.h"
#include "AutostartService.h"
#include "CameraAccess.h"
#include "CameraClientFinder.h"
#include "CameraDeviceSource.h"
#include "CameraFeed.h"
#include "CameraPermissionStore.h"
#include "ColorPicker.h"
#include "DesktopAction.h"
#include "DesktopToggle.h"
#include "DiskEjector.h"
#include "FileManager.h"
#include "InputDeviceControl.h"
#include "InstalledApps.h"
#include "ProcessDirectory.h"
#include "ProcessUsage.h"
#include "QuietMicDriver.h"
#include "ShelfFileSystem.h"
#include "Tools.h"
#include "VpnService.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>
#include <vector>

struct AppInfo;
class Prefs;
class PulseConnection;

// The platform services the shell runs on: the real Linux ones, or simulated
// ones for demonstrations (TARNWICK_SIMULATED=1) and tests.
struct Backends {
    std::unique_ptr<AutostartService> autostart;
    std::unique_ptr<ProcessUsage> processUsage;
    // The one audio server connection every audio service shares (Linux only).
    std::shared_ptr<PulseConnection> audioServer;
    std::unique_ptr<AudioCaptureSource> audioCaptures;
    std::unique_ptr<CameraDeviceSource> cameras;
    std::unique_ptr<CameraClientFinder> cameraClients;
    std::unique_ptr<ProcessDirectory> processes;
    // The privacy switch.
    std::unique_ptr<InputDeviceControl> inputDevices;
    std::unique_ptr<QuietMicDriver> quietMic;
    std::shared_ptr<CameraPermissionStore> cameraPermissions; // shared with the reset on its worker thread
    // The quit section: applications by their windows, and their processes.
    std::unique_ptr<AppWindows> appWindows;
    std::shared_ptr<const AppProcesses> appProcesses; // used on a worker thread
    std::unique_ptr<ShelfFileSystem> shelfFiles;
    // The apps section and the doors: the maker's applications installed here.
    std::shared_ptr<const InstalledApps> installedApps; // used on a worker thread
    std::unique_ptr<FileManager> fileManager;
    // Where VPN connections come from, in the order they are listed.
    std::vector<std::unique_ptr<VpnService>> vpns;
    // The tools section; a tool without its facility shows unavailable.
    std::unique_ptr<ColorPicker> colorPicker;
    std::unique_ptr<DesktopToggle> desktopIcons;
    std::unique_ptr<DesktopToggle> keepAwake;
    std::unique_ptr<DesktopToggle> darkMode;
    std::unique_ptr<DesktopToggle> hiddenFiles;
    std::unique_ptr<DiskEjector> disks;
    std::unique_ptr<DesktopAction> screenLock;
    std::unique_ptr<DesktopAction> displaySleep;
    // The mirror: whether Tarnwick may open a camera, and a picture for each showing.
    std::unique_ptr<CameraAccess> cameraAccess;
    std::function<std::unique_ptr<CameraFeed>()> cameraFeed;

    ToolFacilities toolFacilities() const;

    static Backends forLinux(const Prefs &prefs, const AppInfo &info, const QString &executable,
                             const QProcessEnvironment &env);
    static Backends simulated();
};
