#pragma once

#include "AppInfo.h"
#include "AudioCaptureSource.h"
#include "SensorState.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

// Sensor users shared by the tests: two apps with an id and a bare process.
inline const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
inline const SensorUser chat{200, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat")};
inline const SensorUser bare{400, QStringLiteral("arecord"), QString()};

inline SensorState cameraState(QList<SensorUser> users)
{
    return SensorState{true, false, std::move(users), {}};
}

inline SensorState micState(QList<SensorUser> users)
{
    return SensorState{false, !users.isEmpty(), {}, std::move(users)};
}

// A capture stream whose process the audio server saw.
inline AudioCapture seenCapture(quint32 id, qint32 pid)
{
    return AudioCapture{{0, pid, {}, {}, {}}, id};
}

// A capture stream known only by what its client claims.
inline AudioCapture claimedCapture(quint32 id, qint32 pid, const QString &clientName,
                                   const QString &binary = {})
{
    return AudioCapture{{pid, 0, {}, clientName, binary}, id};
}

// A development build's id ends in ".dev".
inline AppInfo build(const QString &appId = QStringLiteral("dev.orvane.Tarnwick"),
                     bool offersWhiteNoise = false)
{
    return AppInfo{appId, QStringLiteral("1.0"), {}, offersWhiteNoise, false};
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QJsonObject fileObject(const QString &path)
{
    return QJsonDocument::fromJson(fileBytes(path)).object();
}
