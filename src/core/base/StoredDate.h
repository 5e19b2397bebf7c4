#pragma once

#include <QDateTime>
#include <QJsonValue>

#include <optional>

// Dates as Tarnwick's files keep them: seconds since 2001-01-01 00:00:00 UTC,
// to the millisecond.
namespace StoredDate {

double seconds(const QDateTime &date);
QDateTime fromSeconds(double seconds);
// Nothing when `value` is not a number, or lies beyond some thousands of
// years: that is damage, and would overflow the millisecond arithmetic.
std::optional<QDateTime> read(const QJsonValue &value);

} // namespace StoredDate
