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
    // An application whose entry declares a door, opened through `scheme`.
    static InstalledApp withDoor(const QString &appId, const QString &name, const QString &scheme)
    {
        return {appId,
                name,
                {},
                {},
                {scheme},
                {{QStringLiteral("Version"), QStringLiteral("1")},
                 {QStringLiteral("Title"), name},
                 {QStringLiteral("Scheme"), scheme}}};
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
