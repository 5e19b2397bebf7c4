#pragma once

#include "AppInfo.h"

class DefaultsStore;
class AutostartService;

// The login-item rules: registered once on the first normal run of a release
// build, never again after the user has decided.
class Autostart {
public:
    Autostart(AutostartService &service, DefaultsStore &defaults, const AppInfo &info);

    bool isOn() const;
    void set(bool on);
    void turnOnOnce();

private:
    AutostartService &m_service;
    DefaultsStore &m_defaults;
    AppInfo m_info;
};
