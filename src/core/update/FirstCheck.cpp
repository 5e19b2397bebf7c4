#include "FirstCheck.h"

#include "DefaultsStore.h"

namespace FirstCheck {

QList<QPair<QString, QString>> parameters(bool enabled, const DefaultsStore &defaults)
{
    if (!enabled || defaults.boolValue(QLatin1String(key)))
        return {};
    return {{QStringLiteral("first"), QStringLiteral("1")}};
}

void markSent(DefaultsStore &defaults)
{
    defaults.setValue(QLatin1String(key), true);
}

} // namespace FirstCheck
