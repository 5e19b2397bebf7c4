#include "SimCameraPermissionStore.h"

#include <QMutexLocker>

bool SimCameraPermissionStore::isAvailable() const
{
    const QMutexLocker lock(&m_mutex);
    return m_available;
}

QList<CameraApp> SimCameraPermissionStore::apps() const
{
    const QMutexLocker lock(&m_mutex);
    return m_available ? m_apps : QList<CameraApp>();
}

bool SimCameraPermissionStore::revoke(const QString &appId)
{
    const QMutexLocker lock(&m_mutex);
    m_revoked.append(appId);
    return m_available && !m_refusing.contains(appId);
}

void SimCameraPermissionStore::setAvailable(bool available)
{
    const QMutexLocker lock(&m_mutex);
    m_available = available;
}

void SimCameraPermissionStore::addApp(const CameraApp &app)
{
    const QMutexLocker lock(&m_mutex);
    m_apps.append(app);
}

void SimCameraPermissionStore::refuse(const QString &appId)
{
    const QMutexLocker lock(&m_mutex);
    m_refusing.insert(appId);
}

QStringList SimCameraPermissionStore::revoked() const
{
    const QMutexLocker lock(&m_mutex);
    return m_revoked;
}
