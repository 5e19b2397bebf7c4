#pragma once

#include <QString>

#include <array>
#include <optional>

// The two watched sensors. Files store them by their raw text.
enum class Sensor { Camera, Microphone };

inline constexpr std::array<Sensor, 2> allSensors{Sensor::Camera, Sensor::Microphone};

// "camera" or "microphone".
QString sensorText(Sensor sensor);
// The sensor a raw text names; nothing for any other text.
std::optional<Sensor> sensorFromText(const QString &text);
