#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <stop_token>

// A client of the PipeWire daemon that consumes a camera.
struct PipeWireClient {
    // The process, where PipeWire knows it truthfully; 0 for clients that
    // came through the camera portal, whose pids are the portal's or in-sandbox.
    qint32 pid = 0;
    QString appId; // the sandboxed app the portal vouched for
    friend bool operator==(const PipeWireClient &, const PipeWireClient &) = default;
};

// The PipeWire graph as `pw-dump` prints it: a JSON array of objects with
// "id", "type" and "info" (whose "props" carry the properties).
class PipeWireGraph {
public:
    // An unreadable dump gives an empty graph.
    explicit PipeWireGraph(const QByteArray &dump);

    bool isEmpty() const { return m_objects.isEmpty(); }
    // Who consumes the camera whose V4L2 node is `devicePath`: the clients
    // of every node linked to the camera's "Video/Source" node, once each.
    QList<PipeWireClient> cameraConsumers(const QString &devicePath) const;

    // Runs `pw-dump` (`program`), waiting at most `timeoutMs`, and kills it
    // at once when `stop` is requested; nothing when it cannot be started or
    // does not finish in time, everything it printed otherwise.
    static std::optional<QByteArray> dump(const QString &program, int timeoutMs, std::stop_token stop = {});

private:
    QHash<qint64, QJsonObject> m_objects; // by id
};
