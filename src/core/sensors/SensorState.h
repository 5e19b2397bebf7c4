#pragma once

#include "SensorUser.h"

#include <QList>
#include <QMetaType>

// What the sensor watcher publishes. As the watcher builds it, `micOn` is true
// exactly when `micUsers` is not empty and `cameraUsers` is empty while the
// camera is off; a simulated state may break both rules and is shown as given.
struct SensorState {
    bool cameraOn = false;
    bool micOn = false;
    QList<SensorUser> cameraUsers; // the most recently seen client first; may be empty while on
    QList<SensorUser> micUsers;    // ascending by capture stream, no two with the same pid

    friend bool operator==(const SensorState &, const SensorState &) = default;
};

Q_DECLARE_METATYPE(SensorState)
