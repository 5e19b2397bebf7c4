#include "StoredDate.h"

#include <cmath>

namespace {

constexpr qint64 referenceEpochMSecs = 978307200000LL;

} // namespace

namespace StoredDate {

double seconds(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch() - referenceEpochMSecs) / 1000.0;
}

QDateTime fromSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(referenceEpochMSecs + qint64(std::llround(seconds * 1000.0)),
                                          Qt::UTC);
}

std::optional<QDateTime> read(const QJsonValue &value)
{
    if (!value.isDouble() || !(std::abs(value.toDouble()) < 1e11))
        return std::nullopt;
    return fromSeconds(value.toDouble());
}

} // namespace StoredDate
