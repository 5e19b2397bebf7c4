#include "ModeSettings.h"

#include <cmath>

namespace ModeSettings {

double seconds(const QProcessEnvironment &env, const char *variable, double fallback)
{
    bool ok = false;
    const double value = env.value(QLatin1String(variable)).trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && value > 0 ? value : fallback;
}

} // namespace ModeSettings
