#include "Sensor.h"

QString sensorText(Sensor sensor)
{
    return sensor == Sensor::Camera ? QStringLiteral("camera") : QStringLiteral("microphone");
}

std::optional<Sensor> sensorFromText(const QString &text)
{
    for (const Sensor sensor : allSensors) {
        if (text == sensorText(sensor))
            return sensor;
    }
    return std::nullopt;
}
