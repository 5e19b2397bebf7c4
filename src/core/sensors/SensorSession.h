#pragma once

#include "Sensor.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// One use of one sensor by one application, from when it was first seen to
// when it was last seen to stop (open while `end` is absent).
//
// Stored as a JSON object: "id" (upper-case hyphenated UUID), "sensor",
// "app", "bundleID" (left out when empty), "start" and "end" (seconds since
// 2001-01-01 00:00:00 UTC, with fraction; "end" left out while open).
struct SensorSession {
    QUuid id;
    Sensor sensor = Sensor::Camera;
    QString app;
    QString appId;
    QDateTime start;
    std::optional<QDateTime> end;

    friend bool operator==(const SensorSession &, const SensorSession &) = default;

    // Seconds from start to end, or to `now` while open.
    double duration(const QDateTime &now) const;

    QJsonObject toJson() const;
    // Nothing when a required key is missing or any known key has the wrong type.
    static std::optional<SensorSession> fromJson(const QJsonValue &value);
};
