#pragma once

#include "SensorWatcher.h"
#include "SimAudioCaptureSource.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimProcessDirectory.h"

// The four simulated sources a sensor watcher listens to.
struct SimSensorSources {
    SimAudioCaptureSource audio;
    SimCameraDeviceSource cameras;
    SimCameraClientFinder finder;
    SimProcessDirectory processes;

    SensorWatcher::Sources sources() { return {audio, cameras, finder, processes}; }
};
