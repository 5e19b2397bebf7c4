#pragma once

#include "LoginItemService.h"
#include "ProcessUsage.h"

#include <memory>

struct AppInfo;
class Prefs;

// The platform services the shell runs on: the real Linux ones, or simulated
// ones for demonstrations (TARNWICK_SIMULATED=1) and tests.
struct Backends {
    std::unique_ptr<LoginItemService> loginItem;
    std::unique_ptr<ProcessUsage> processUsage;

    static Backends forLinux(const Prefs &prefs, const AppInfo &info, const QString &executable);
    static Backends simulated();
};
