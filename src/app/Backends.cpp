#include "Backends.h"

#include "AppInfo.h"
#include "Prefs.h"
#include "ProcSelfUsage.h"
#include "SimLoginItemService.h"
#include "SimProcessUsage.h"
#include "XdgAutostartEntry.h"

Backends Backends::forLinux(const Prefs &prefs, const AppInfo &info, const QString &executable)
{
    Backends b;
    b.loginItem = std::make_unique<XdgAutostartEntry>(prefs.autostartFolder(), info.appId, executable);
    b.processUsage = std::make_unique<ProcSelfUsage>();
    return b;
}

Backends Backends::simulated()
{
    Backends b;
    b.loginItem = std::make_unique<SimLoginItemService>();
    b.processUsage = std::make_unique<SimProcessUsage>();
    return b;
}
