#pragma once

#include "Sensor.h"
#include "SensorUser.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// What one sensor's tile in the privacy section says: whether the sensor is in
// use, by whom, and whether the switch has it off.
struct SensorTile {
    Sensor sensor = Sensor::Camera;
    bool on = false;
    QList<SensorUser> users;
    bool switchedOff = false;
    // Processes a tile above already offers to quit; an app that uses both
    // sensors is offered once, in the camera tile.
    QSet<qint32> quitShownAbove;

    // "Not in use", "Zoom is using it", "On — finding out which app…", ...
    QString status() const;
    // The user the tile offers to quit: the first one, unless that is this
    // very process, has no known process, or a tile above offers it already.
    std::optional<SensorUser> quitOffer(qint32 ownPid) const;

    QString title() const;
    QString symbol() const;
    // The users' names joined the way the locale lists things ("A and B").
    static QString names(const QList<SensorUser> &users);
    static QString quitTitle(const SensorUser &user);
    static QString quitHelp(const SensorUser &user);
};
