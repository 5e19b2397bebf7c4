#include "SensorSession.h"

#include "Text.h"

#include <QJsonValue>

#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC, the epoch the stored dates count from.
constexpr qint64 referenceEpochMSecs = 978307200000LL;

// Optional keys may be absent or null; any other non-matching type is damage.
bool readOptionalString(const QJsonObject &object, const char *key, QString &out)
{
    const QJsonValue v = object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

// Dates beyond some thousands of years are damage, and would overflow the
// millisecond arithmetic.
bool isDate(const QJsonValue &v)
{
    return v.isDouble() && std::abs(v.toDouble()) < 1e11;
}

} // namespace

double SensorSession::duration(const QDateTime &now) const
{
    return double(start.msecsTo(end.value_or(now))) / 1000.0;
}

double SensorSession::referenceSeconds(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch() - referenceEpochMSecs) / 1000.0;
}

QDateTime SensorSession::fromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(referenceEpochMSecs + qint64(std::llround(seconds * 1000.0)),
                                          Qt::UTC);
}

QJsonObject SensorSession::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("sensor"), sensorText(sensor)},
        {QStringLiteral("app"), app},
        {QStringLiteral("start"), referenceSeconds(start)},
    };
    if (!appId.isEmpty())
        object.insert(QStringLiteral("bundleID"), appId);
    if (end)
        object.insert(QStringLiteral("end"), referenceSeconds(*end));
    return object;
}

std::optional<SensorSession> SensorSession::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue sensor = object.value(QLatin1String("sensor"));
    const QJsonValue app = object.value(QLatin1String("app"));
    const QJsonValue start = object.value(QLatin1String("start"));
    const QJsonValue end = object.value(QLatin1String("end"));
    if (!id.isString() || !sensor.isString() || !app.isString() || !isDate(start))
        return std::nullopt;

    SensorSession session;
    session.id = QUuid::fromString(id.toString());
    const std::optional<Sensor> known = sensorFromText(sensor.toString());
    if (session.id.isNull() || !known)
        return std::nullopt;
    session.sensor = *known;
    // The file may have been written by hand or by an older version.
    session.app = shownName({app.toString()});
    session.start = fromReferenceSeconds(start.toDouble());
    if (!readOptionalString(object, "bundleID", session.appId))
        return std::nullopt;
    if (!end.isUndefined() && !end.isNull()) {
        if (!isDate(end))
            return std::nullopt;
        session.end = fromReferenceSeconds(end.toDouble());
    }
    return session;
}
