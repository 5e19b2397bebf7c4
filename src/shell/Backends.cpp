#include "Backends.h"

#include "AppInfo.h"
#include "DBusScreenLock.h"
#include "DesktopInstalledApps.h"
#include "FreedesktopFileManager.h"
#include "GSettingsToggle.h"
#include "InhibitorKeepAwake.h"
#include "LinuxAppProcesses.h"
#include "LinuxCameraAccess.h"
#include "LinuxCameraClientFinder.h"
#include "LinuxProcessDirectory.h"
#include "LinuxShelfFileSystem.h"
#include "MullvadVpnService.h"
#include "MutterDisplaySleep.h"
#include "NetworkManagerVpnService.h"
#include "PortalCameraPermissionStore.h"
#include "PortalColorPicker.h"
#include "PortalDarkMode.h"
#include "Prefs.h"
#include "ProcSelfUsage.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "PulseQuietMicDriver.h"
#include "QtCameraFeed.h"
#include "SamplePictureFeed.h"
#include "ScreenSampler.h"
#include "ShellExtensionToggle.h"
#include "SimAppProcesses.h"
#include "SimAppWindows.h"
#include "SimAudioCaptureSource.h"
#include "SimAutostartService.h"
#include "SimCameraAccess.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimCameraPermissionStore.h"
#include "SimColorPicker.h"
#include "SimDesktopAction.h"
#include "SimDesktopToggle.h"
#include "SimDiskEjector.h"
#include "SimFileManager.h"
#include "SimInputDeviceControl.h"
#include "SimInstalledApps.h"
#include "SimPinnedApp.h"
#include "SimProcessDirectory.h"
#include "SimProcessUsage.h"
#include "SimQuietMicDriver.h"
#include "SimShelfFileSystem.h"
#include "SimVpnService.h"
#include "ToggleGroup.h"
#include "UDisksEjector.h"
#include "V4l2CameraDeviceSource.h"
#include "X11AppWindows.h"
#include "X11DisplaySleep.h"
#include "XdgAutostartEntry.h"
#include "XfconfToggle.h"

#include <QDBusConnection>
#include <QStandardPaths>

namespace {

// TARNWICK_CAMERA_DEVICES names a folder of stand-in camera nodes (for
// trying Tarnwick without a camera): every video* device there counts.
CameraNodeScan cameraNodes(const QProcessEnvironment &env)
{
    const QString standIns = env.value(QStringLiteral("TARNWICK_CAMERA_DEVICES"));
    if (standIns.isEmpty())
        return CameraNodeScan();
    return CameraNodeScan(standIns, CameraNodeScan::NodeCheck::AnyCharacterDevice);
}

} // namespace

Backends Backends::forLinux(const Prefs &prefs, const AppInfo &info, const QString &executable,
                            const QProcessEnvironment &env)
{
    Backends b;
    const QStringList path = env.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    b.autostart = std::make_unique<XdgAutostartEntry>(prefs.autostartFolder(), info.appId,
                                                      XdgAutostartEntry::launchCommand(executable, path));
    b.processUsage = std::make_unique<ProcSelfUsage>();
    b.audioServer = std::make_shared<PulseConnection>();
    b.audioCaptures = std::make_unique<PulseAudioCaptureSource>(*b.audioServer);
    b.cameras = std::make_unique<V4l2CameraDeviceSource>(cameraNodes(env));
    b.processes = std::make_unique<LinuxProcessDirectory>();
    b.cameraClients = std::make_unique<LinuxCameraClientFinder>(cameraNodes(env));
    b.inputDevices = std::make_unique<PulseInputDeviceControl>(*b.audioServer);
    b.quietMic = std::make_unique<PulseQuietMicDriver>(
        *b.audioServer, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    b.cameraPermissions = std::make_shared<PortalCameraPermissionStore>(
        QDBusConnection::sessionBus(), PortalCameraPermissionStore::defaultFlatpakAppFolders(),
        DesktopEntryIndex::defaultFolders());
    b.appWindows = std::make_unique<X11AppWindows>();
    b.appProcesses = std::make_shared<LinuxAppProcesses>(std::make_shared<LinuxProcessDirectory>());
    b.cameraAccess = std::make_unique<LinuxCameraAccess>(cameraNodes(env), QDBusConnection::sessionBus(),
                                                         LinuxCameraAccess::inSandbox());
    b.cameraFeed = [] { return std::make_unique<QtCameraFeed>(); };
    b.shelfFiles = std::make_unique<LinuxShelfFileSystem>();
    b.installedApps = std::make_shared<DesktopInstalledApps>();
    b.fileManager = std::make_unique<FreedesktopFileManager>(QDBusConnection::sessionBus());
    b.vpns.push_back(std::make_unique<NetworkManagerVpnService>(QDBusConnection::systemBus()));
    b.vpns.push_back(std::make_unique<MullvadVpnService>());
    const QStringList desktops =
        env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    b.colorPicker =
        std::make_unique<ScreenSampler>(std::make_unique<PortalColorPicker>(QDBusConnection::sessionBus()));
    // GNOME draws desktop icons only through an extension.
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive))
        b.desktopIcons = std::make_unique<ShellExtensionToggle>(QDBusConnection::sessionBus(),
                                                                ShellExtensionToggle::desktopIconsUuid());
    else if (desktops.contains(QStringLiteral("XFCE"), Qt::CaseInsensitive))
        b.desktopIcons = XfconfToggle::desktopIconsHidden(QDBusConnection::sessionBus());
    else
        b.desktopIcons = GSettingsToggle::desktopIconsHidden(desktops);
    b.keepAwake =
        std::make_unique<InhibitorKeepAwake>(QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
                                             QStringLiteral("Tarnwick"), ToolCatalog::title(Tool::KeepAwake));
    b.darkMode =
        std::make_unique<PortalDarkMode>(QDBusConnection::sessionBus(), GSettingsToggle::darkMode(desktops));
    if (desktops.contains(QStringLiteral("XFCE"), Qt::CaseInsensitive)) {
        std::vector<std::unique_ptr<DesktopToggle>> keepers;
        keepers.push_back(GSettingsToggle::hiddenFiles());
        keepers.push_back(XfconfToggle::thunarHiddenFiles(QDBusConnection::sessionBus()));
        b.hiddenFiles = std::make_unique<ToggleGroup>(std::move(keepers));
    } else {
        b.hiddenFiles = GSettingsToggle::hiddenFiles();
    }
    b.disks = std::make_unique<UDisksEjector>(QDBusConnection::systemBus());
    b.screenLock =
        std::make_unique<DBusScreenLock>(QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
                                         env.value(QStringLiteral("XDG_SESSION_ID")));
    // GNOME on Wayland lets only its compositor reach the displays' power.
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive) &&
        env.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland"))
        b.displaySleep = std::make_unique<MutterDisplaySleep>(QDBusConnection::sessionBus());
    else
        b.displaySleep = std::make_unique<X11DisplaySleep>();
    return b;
}

Backends Backends::simulated()
{
    Backends b;
    b.autostart = std::make_unique<SimAutostartService>();
    b.processUsage = std::make_unique<SimProcessUsage>();
    b.audioCaptures = std::make_unique<SimAudioCaptureSource>();
    b.cameras = std::make_unique<SimCameraDeviceSource>();
    b.cameraClients = std::make_unique<SimCameraClientFinder>();
    b.processes = std::make_unique<SimProcessDirectory>();
    auto inputs = std::make_unique<SimInputDeviceControl>();
    inputs->putDevice({QStringLiteral("builtin"),
                       QStringLiteral("Built-in Microphone"),
                       false,
                       {InputDevice::volumeNorm * 3 / 4, InputDevice::volumeNorm * 3 / 4}});
    b.inputDevices = std::move(inputs);
    auto quietMic = std::make_unique<SimQuietMicDriver>();
    quietMic->inputs = {QStringLiteral("builtin")};
    quietMic->chooseDefaultInput(QStringLiteral("builtin"));
    b.quietMic = std::move(quietMic);
    b.cameraPermissions = std::make_shared<SimCameraPermissionStore>();
    // Three example apps, each with a window; the second will not close when asked.
    auto windows = std::make_unique<SimAppWindows>();
    auto apps = std::make_shared<SimAppProcesses>();
    const QList<std::tuple<qint32, QString, QString, quint64, bool>> examples{
        {101, QStringLiteral("Web Browser"), QStringLiteral("org.example.Browser"), quint64(1400) << 20,
         true},
        {102, QStringLiteral("Game"), QStringLiteral("org.example.Game"), quint64(900) << 20, false},
        {103, QStringLiteral("Music Player"), QStringLiteral("org.example.Music"), quint64(260) << 20, true}};
    for (const auto &[pid, name, appId, memory, quits] : examples) {
        windows->shown.append({quint32(pid), pid, name, AppWindows::Kind::Normal});
        apps->running.append(
            {pid, name, appId, {}, {}, memory, std::make_shared<SimPinnedApp>(QList<qint32>{pid}, quits)});
    }
    b.appWindows = std::move(windows);
    b.appProcesses = std::move(apps);
    b.shelfFiles = std::make_unique<SimShelfFileSystem>();
    // One of the maker's apps installed, with a door.
    auto installed = std::make_shared<SimInstalledApps>();
    installed->installed.append(SimInstalledApps::withDoor(
        QStringLiteral("dev.orvane.Latchkey"), QStringLiteral("Latchkey"), QStringLiteral("latchkey")));
    b.installedApps = std::move(installed);
    b.fileManager = std::make_unique<SimFileManager>();
    auto vpn = std::make_unique<SimVpnService>();
    vpn->setService({{QStringLiteral("sim-office"), QStringLiteral("Office VPN"), QStringLiteral("wireguard"),
                      VpnConnection::Status::Disconnected}});
    b.vpns.push_back(std::move(vpn));
    auto picker = std::make_unique<SimColorPicker>();
    picker->next = SimColorPicker::Rgb{0.2, 0.83, 0.4};
    b.colorPicker = std::move(picker);
    b.desktopIcons = std::make_unique<SimDesktopToggle>();
    b.keepAwake = std::make_unique<SimDesktopToggle>();
    b.darkMode = std::make_unique<SimDesktopToggle>();
    b.hiddenFiles = std::make_unique<SimDesktopToggle>();
    auto disks = std::make_unique<SimDiskEjector>();
    disks->disks = {{QStringLiteral("USB Stick"), false}, {QStringLiteral("Backup"), true}};
    b.disks = std::move(disks);
    b.screenLock = std::make_unique<SimDesktopAction>();
    b.displaySleep = std::make_unique<SimDesktopAction>();
    b.cameraAccess = std::make_unique<SimCameraAccess>();
    b.cameraFeed = [] { return std::make_unique<SamplePictureFeed>(); };
    return b;
}

ToolFacilities Backends::toolFacilities() const
{
    return {colorPicker.get(), desktopIcons.get(), keepAwake.get(),  darkMode.get(),
            hiddenFiles.get(), disks.get(),        screenLock.get(), displaySleep.get()};
}
