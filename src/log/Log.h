#pragma once

#include <QLoggingCategory>

// One category per area, so `QT_LOGGING_RULES="tarnwick.audio.debug=true"`
// turns on just what is being looked at. Debug lines are off by default;
// information and warnings are on.
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcCamera)
Q_DECLARE_LOGGING_CATEGORY(lcPermissions)
Q_DECLARE_LOGGING_CATEGORY(lcProcess)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
Q_DECLARE_LOGGING_CATEGORY(lcPrivacy)
Q_DECLARE_LOGGING_CATEGORY(lcHalo)
Q_DECLARE_LOGGING_CATEGORY(lcHub)
Q_DECLARE_LOGGING_CATEGORY(lcShell)
Q_DECLARE_LOGGING_CATEGORY(lcSelfCheck)
Q_DECLARE_LOGGING_CATEGORY(lcVpn)
Q_DECLARE_LOGGING_CATEGORY(lcShelf)
Q_DECLARE_LOGGING_CATEGORY(lcTools)
Q_DECLARE_LOGGING_CATEGORY(lcBus)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
Q_DECLARE_LOGGING_CATEGORY(lcApps)

// Every line Tarnwick writes to the journal starts with "Tarnwick: " so a user
// can find them with one grep; debug lines also name their category.
inline constexpr char logMessagePattern[] = "Tarnwick: %{if-debug}%{category}: %{endif}%{message}";
