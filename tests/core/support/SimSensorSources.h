#pragma once

#include "DefaultsStore.h"
#include "Hub.h"
#include "Samples.h"
#include "SensorWatcher.h"
#include "Settings.h"
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

// A release build's hub watching simulated sources; without a data folder its
// history stays in memory.
struct SimHub : SimSensorSources {
    DefaultsStore defaults;
    Settings settings{defaults};
    Hub hub;

    explicit SimHub(const QString &dataFolder = QString())
        : hub(settings, build(), HubServices{std::make_unique<SensorWatcher>(sources(), 1), dataFolder})
    {
        hub.sensors()->setAttributionRetryDelay(std::chrono::milliseconds(0));
    }
};
