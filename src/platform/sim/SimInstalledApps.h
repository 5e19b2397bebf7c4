#pragma once

#include "InstalledApps.h"

#include <QMutex>

// Applications installed by hand; a launch is only recorded.
class SimInstalledApps : public InstalledApps {
public:
    std::optional<InstalledApp> find(const QString &appId) const override
    {
        const QMutexLocker lock(&m_mutex);
        for (const InstalledApp &app : installed) {
            if (app.appId == appId)
                return app;
        }
        return std::nullopt;
    }
    bool launch(const InstalledApp &app) const override
    {
        const QMutexLocker lock(&m_mutex);
        launched.append(app.appId);
        return !app.launch.isEmpty();
    }

    QList<InstalledApp> installed;
    mutable QStringList launched;

private:
    mutable QMutex m_mutex;
};
