#include "PipeWireGraph.h"

#include "Log.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>

#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString nodeType = QStringLiteral("PipeWire:Interface:Node");
const QString linkType = QStringLiteral("PipeWire:Interface:Link");
const QString clientType = QStringLiteral("PipeWire:Interface:Client");

QJsonObject propsOf(const QJsonObject &object)
{
    return object.value(QLatin1String("info")).toObject().value(QLatin1String("props")).toObject();
}

// pw-dump writes numbers bare and other values as strings.
qint64 numberIn(const QJsonObject &props, QLatin1String key)
{
    const QJsonValue value = props.value(key);
    if (value.isDouble())
        return value.toInteger(-1);
    bool ok = false;
    const qint64 number = value.toString().toLongLong(&ok);
    return ok ? number : -1;
}

qint32 pidIn(const QJsonObject &props, QLatin1String key)
{
    const qint64 pid = numberIn(props, key);
    return pid > 0 && pid <= std::numeric_limits<qint32>::max() ? qint32(pid) : 0;
}

} // namespace

PipeWireGraph::PipeWireGraph(const QByteArray &dump)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(dump, &error);
    if (!document.isArray()) {
        qCWarning(lcCamera).noquote().nospace()
            << "PipeWire graph unreadable: "
            << (error.error ? error.errorString() : QStringLiteral("not a list"));
        return;
    }
    for (const QJsonValue &value : document.array()) {
        const QJsonObject object = value.toObject();
        const QJsonValue id = object.value(QLatin1String("id"));
        if (id.isDouble())
            m_objects.insert(id.toInteger(), object);
    }
}

QList<ClientClaim> PipeWireGraph::cameraConsumers(const QString &devicePath) const
{
    QList<qint64> cameras;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it) {
        const QJsonObject props = propsOf(*it);
        if (it->value(QLatin1String("type")).toString() == nodeType &&
            props.value(QLatin1String("media.class")).toString() == QLatin1String("Video/Source") &&
            props.value(QLatin1String("api.v4l2.path")).toString() == devicePath)
            cameras.append(it.key());
    }
    QList<ClientClaim> consumers;
    for (const QJsonObject &link : m_objects) {
        if (link.value(QLatin1String("type")).toString() != linkType)
            continue;
        const QJsonObject info = link.value(QLatin1String("info")).toObject();
        if (!cameras.contains(info.value(QLatin1String("output-node-id")).toInteger(-1)))
            continue;
        const QJsonObject consumer =
            m_objects.value(info.value(QLatin1String("input-node-id")).toInteger(-1));
        const QJsonObject nodeProps = propsOf(consumer);
        // A node made by a client names it; its own properties are the fallback.
        const QJsonObject client = m_objects.value(numberIn(nodeProps, QLatin1String("client.id")));
        const QJsonObject props =
            client.value(QLatin1String("type")).toString() == clientType ? propsOf(client) : nodeProps;
        ClientClaim found;
        found.pid = pidIn(props, QLatin1String("application.process.id"));
        found.appId = props.value(QLatin1String("pipewire.access.portal.app_id")).toString();
        if (found.appId.isEmpty())
            found.hostPid = pidIn(props, QLatin1String("pipewire.sec.pid"));
        found.clientName = props.value(QLatin1String("application.name")).toString();
        if (found.clientName.isEmpty())
            found.clientName = nodeProps.value(QLatin1String("node.name")).toString();
        found.binary = props.value(QLatin1String("application.process.binary")).toString();
        // Whoever it claims to be, it uses the camera: never left out.
        if (!consumers.contains(found))
            consumers.append(found);
    }
    return consumers;
}

std::optional<QByteArray> PipeWireGraph::dump(const QString &program, int timeoutMs, std::stop_token stop)
{
    QProcess tool;
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, {});
    if (!tool.waitForStarted())
        return std::nullopt;
    // Runs on the thread asking to stop; the waits below then see the tool end.
    // Through a pidfd, which names this very process even once it was reaped.
    const int process = int(syscall(SYS_pidfd_open, pid_t(tool.processId()), 0));
    const auto closeProcess = qScopeGuard([process] {
        if (process >= 0)
            close(process);
    });
    const std::stop_callback killOnStop(stop, [process] {
        if (process >= 0)
            syscall(SYS_pidfd_send_signal, process, SIGKILL, nullptr, 0);
    });
    QByteArray output;
    const QDeadlineTimer deadline(timeoutMs);
    // Read as it comes: a large graph would fill the pipe before the tool exits.
    while (tool.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
        output += tool.readAllStandardOutput();
    if (tool.state() != QProcess::NotRunning &&
        !tool.waitForFinished(int(std::max<qint64>(1, deadline.remainingTime())))) {
        qCWarning(lcCamera).noquote().nospace() << program << " did not finish in time";
        tool.kill();
        tool.waitForFinished();
        // Half a graph would drop the users it did not get to.
        return std::nullopt;
    }
    return output + tool.readAllStandardOutput();
}
