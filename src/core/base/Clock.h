#pragma once

#include <QDateTime>

#include <functional>

// Rules that count time ask a Clock, so tests can move time by hand.
using Clock = std::function<QDateTime()>;

inline Clock systemClock()
{
    return [] { return QDateTime::currentDateTimeUtc(); };
}
