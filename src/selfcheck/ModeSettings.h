#pragma once

#include <QProcessEnvironment>

// Durations of the waiting modes, from the environment.
namespace ModeSettings {
// Decimal seconds from `variable`; absent, unparsable or not positive gives `fallback`.
double seconds(const QProcessEnvironment &env, const char *variable, double fallback);
} // namespace ModeSettings
