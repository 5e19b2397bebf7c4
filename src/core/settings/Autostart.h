#pragma once

#include "AppInfo.h"

class AutostartService;
class Settings;

// The autostart rules: registered once on the first normal run of a release
// build, never again after the user has decided.
class Autostart {
public:
    Autostart(AutostartService &service, Settings &settings, const AppInfo &info);

    bool isOn() const;
    void set(bool on);
    void turnOnOnce();

private:
    AutostartService &m_service;
    Settings &m_settings;
    AppInfo m_info;
};
