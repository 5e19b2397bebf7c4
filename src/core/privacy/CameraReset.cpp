#include "CameraReset.h"

#include "AccessRevoker.h"
#include "Detached.h"
#include "Log.h"

CameraReset::CameraReset(std::shared_ptr<CameraPermissionStore> store, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
{
    connect(&m_run, &QFutureWatcher<Outcome>::finished, this, &CameraReset::finished);
}

void CameraReset::takeAccessFromAllBut(const QSet<QString> &keep)
{
    // The worker touches only copies and the shared store.
    const std::shared_ptr<CameraPermissionStore> store = m_store;
    m_run.setFuture(Detached::run<Outcome>([store, keep] {
        Outcome outcome;
        outcome.storeAvailable = store->isAvailable();
        if (outcome.storeAvailable) {
            QStringList ids;
            for (const AccessRevoker::AppInfo &app : AccessRevoker::apps(*store)) {
                if (!keep.contains(app.appId))
                    ids.append(app.appId);
            }
            outcome.asked = int(ids.size());
            outcome.succeeded = AccessRevoker::revoke(*store, ids);
        }
        return outcome;
    }));
}

void CameraReset::finished()
{
    if (m_run.future().resultCount() == 0)
        return;
    const Outcome outcome = m_run.result();
    if (!outcome.storeAvailable) {
        qCWarning(lcPrivacy).noquote().nospace()
            << "camera access not taken away: the permission store cannot be reached";
        Q_EMIT storeMissing();
        return;
    }
    qCInfo(lcPrivacy).noquote().nospace()
        << "camera access taken from " << outcome.succeeded << " of " << outcome.asked << " apps";
}
