#pragma once

#include "DefaultsStore.h"
#include "PrivacySwitch.h"
#include "Samples.h"
#include "SensorModel.h"
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

// A release build's model watching simulated sources, with a switch that
// only records its state; without a data folder the history stays in memory.
struct SimHub : SimSensorSources {
    DefaultsStore defaults;
    Settings settings{defaults};
    SensorModel sensors;
    PrivacySwitch privacy{settings, build()};

    explicit SimHub(const QString &dataFolder = QString())
        : sensors(settings, std::make_unique<SensorWatcher>(sources(), 1), dataFolder)
    {
        sensors.watcher()->setAttributionRetryDelay(std::chrono::milliseconds(0));
    }
};
