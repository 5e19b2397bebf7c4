#include "AccessRevoker.h"

#include "Log.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace AccessRevoker {

QList<AppInfo> apps(const CameraPermissionStore &store)
{
    QHash<QString, AppInfo> byId;
    for (const AppInfo &app : store.apps()) {
        if (!app.appId.isEmpty())
            byId.insert(app.appId, app);
    }
    QList<AppInfo> list(byId.cbegin(), byId.cend());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(list.begin(), list.end(), [&collator](const AppInfo &a, const AppInfo &b) {
        const int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.appId < b.appId;
    });
    return list;
}

int revoke(CameraPermissionStore &store, const QStringList &appIds)
{
    int succeeded = 0;
    for (const QString &id : appIds) {
        if (id.isEmpty())
            continue;
        if (store.revoke(id))
            ++succeeded;
        else
            qCWarning(lcPrivacy).noquote().nospace()
                << "camera permission of " << id << " could not be taken away; it keeps it";
    }
    return succeeded;
}

} // namespace AccessRevoker
