#include "Backends.h"

#include "AppInfo.h"
#include "LinuxCameraClientFinder.h"
#include "LinuxProcessDirectory.h"
#include "Prefs.h"
#include "ProcSelfUsage.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "SimAudioCaptureSource.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimLoginItemService.h"
#include "SimProcessDirectory.h"
#include "SimProcessUsage.h"
#include "V4l2CameraDeviceSource.h"
#include "XdgAutostartEntry.h"

Backends Backends::forLinux(const Prefs &prefs, const AppInfo &info, const QString &executable)
{
    Backends b;
    b.loginItem = std::make_unique<XdgAutostartEntry>(prefs.autostartFolder(), info.appId, executable);
    b.processUsage = std::make_unique<ProcSelfUsage>();
    b.audioServer = std::make_shared<PulseConnection>();
    b.audioCaptures = std::make_unique<PulseAudioCaptureSource>(*b.audioServer);
    b.cameras = std::make_unique<V4l2CameraDeviceSource>();
    b.processes = std::make_unique<LinuxProcessDirectory>();
    b.cameraClients = std::make_unique<LinuxCameraClientFinder>(CameraNodeScan(), *b.processes);
    return b;
}

Backends Backends::simulated()
{
    Backends b;
    b.loginItem = std::make_unique<SimLoginItemService>();
    b.processUsage = std::make_unique<SimProcessUsage>();
    b.audioCaptures = std::make_unique<SimAudioCaptureSource>();
    b.cameras = std::make_unique<SimCameraDeviceSource>();
    b.cameraClients = std::make_unique<SimCameraClientFinder>();
    b.processes = std::make_unique<SimProcessDirectory>();
    return b;
}
