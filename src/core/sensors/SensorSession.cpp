#include "SensorSession.h"

#include "StoredDate.h"
#include "Text.h"

#include <QJsonValue>

namespace {

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

} // namespace

double SensorSession::duration(const QDateTime &now) const
{
    return double(start.msecsTo(end.value_or(now))) / 1000.0;
}

QJsonObject SensorSession::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("sensor"), sensorText(sensor)},
        {QStringLiteral("app"), app},
        {QStringLiteral("start"), StoredDate::seconds(start)},
    };
    if (!appId.isEmpty())
        object.insert(QStringLiteral("bundleID"), appId);
    if (end)
        object.insert(QStringLiteral("end"), StoredDate::seconds(*end));
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
    const std::optional<QDateTime> startDate = StoredDate::read(start);
    if (!id.isString() || !sensor.isString() || !app.isString() || !startDate)
        return std::nullopt;

    SensorSession session;
    session.id = QUuid::fromString(id.toString());
    const std::optional<Sensor> known = sensorFromText(sensor.toString());
    if (session.id.isNull() || !known)
        return std::nullopt;
    session.sensor = *known;
    // The file may have been written by hand or by an older version.
    session.app = shownName({app.toString()});
    session.start = *startDate;
    if (!readOptionalString(object, "bundleID", session.appId))
        return std::nullopt;
    if (!end.isUndefined() && !end.isNull()) {
        session.end = StoredDate::read(end);
        if (!session.end)
            return std::nullopt;
    }
    return session;
}
