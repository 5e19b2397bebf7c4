#pragma once

#include "CameraPermissionStore.h"

#include <QMutex>
#include <QSet>
#include <QStringList>

// Camera decisions held in memory; thread-safe like the real store.
class SimCameraPermissionStore : public CameraPermissionStore {
public:
    bool isAvailable() const override;
    QList<CameraApp> apps() const override;
    bool revoke(const QString &appId) override;

    void setAvailable(bool available);
    void addApp(const CameraApp &app);
    void refuse(const QString &appId);
    // Every id asked to be revoked, in order.
    QStringList revoked() const;

private:
    mutable QMutex m_mutex;
    bool m_available = true;
    QList<CameraApp> m_apps;
    QSet<QString> m_refusing;
    QStringList m_revoked;
};
