#pragma once

#include "ClientClaim.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <stop_token>

// The PipeWire graph as `pw-dump` prints it: a JSON array of objects with
// "id", "type" and "info" (whose "props" carry the properties).
class PipeWireGraph {
public:
    // An unreadable dump gives an empty graph.
    explicit PipeWireGraph(const QByteArray &dump);

    bool isEmpty() const { return m_objects.isEmpty(); }
    // Who consumes the camera whose V4L2 node is `devicePath`: the clients
    // of every node linked to the camera's "Video/Source" node, once each,
    // as they describe themselves. The pid PipeWire took from the socket is
    // vouched for, except for clients that came through the camera portal
    // (the socket is then the portal's); their app id is.
    QList<ClientClaim> cameraConsumers(const QString &devicePath) const;

    // Runs `pw-dump` (`program`), waiting at most `timeoutMs`, and kills it
    // at once when `stop` is requested; nothing when it cannot be started or
    // does not finish in time, everything it printed otherwise.
    static std::optional<QByteArray> dump(const QString &program, int timeoutMs, std::stop_token stop = {});

private:
    QHash<qint64, QJsonObject> m_objects; // by id
};
