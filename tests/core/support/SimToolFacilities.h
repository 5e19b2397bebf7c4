#pragma once

#include "SimColorPicker.h"
#include "SimDesktopAction.h"
#include "SimDesktopToggle.h"
#include "SimDiskEjector.h"
#include "Tools.h"

// The eight simulated desktop facilities the tools run on.
struct SimToolFacilities {
    SimColorPicker picker;
    SimDesktopToggle icons;
    SimDesktopToggle awake;
    SimDesktopToggle dark;
    SimDesktopToggle hidden;
    SimDiskEjector disks;
    SimDesktopAction lock;
    SimDesktopAction sleep;

    ToolFacilities all() { return {&picker, &icons, &awake, &dark, &hidden, &disks, &lock, &sleep}; }
};
