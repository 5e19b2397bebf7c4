#pragma once

#include "AppProcesses.h"

// The applications set by hand, each listed when one of its pids owns a window.
class SimAppProcesses : public AppProcesses {
public:
    QList<ListedApp> apps(const QList<WindowOwner> &owners, bool measure) const override
    {
        QList<ListedApp> found;
        for (ListedApp app : running) {
            const bool owns = std::any_of(owners.begin(), owners.end(), [&app](const WindowOwner &owner) {
                return app.pin && app.pin->pids().contains(owner.pid);
            });
            if (!owns)
                continue;
            if (!measure)
                app.memory = 0;
            found.append(app);
        }
        return found;
    }

    QList<ListedApp> running;
};
