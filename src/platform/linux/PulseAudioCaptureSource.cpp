#include "PulseAudioCaptureSource.h"

#include "PulseConnection.h"

#include <pulse/introspect.h>
#include <pulse/operation.h>

#include <algorithm>

#include <unistd.h>

namespace {

const QList<QByteArray> &keptStreamProps()
{
    static const QList<QByteArray> keys{"application.process.id",        "application.name",
                                        "application.process.binary",    "pipewire.sec.pid",
                                        "pipewire.access.portal.app_id", "stream.monitor"};
    return keys;
}

QHash<QByteArray, QByteArray> keptProps(const pa_proplist *props)
{
    QHash<QByteArray, QByteArray> kept;
    for (const QByteArray &key : keptStreamProps()) {
        if (const char *value = pa_proplist_gets(props, key.constData()))
            kept.insert(key, QByteArray(value));
    }
    return kept;
}

qint32 pidValue(const QByteArray &text)
{
    bool ok = false;
    const qint32 pid = text.toInt(&ok);
    return ok && pid > 0 ? pid : 0;
}

QByteArray firstOf(const QByteArray &key, const QHash<QByteArray, QByteArray> &stream,
                   const QHash<QByteArray, QByteArray> &client)
{
    return stream.value(key, client.value(key));
}

// Where each kind of object is kept, chosen by the type of its answer.
QHash<quint32, PulseAudioCaptureSource::Snapshot::Stream> &part(PulseAudioCaptureSource::Snapshot &s,
                                                                const pa_source_output_info *)
{
    return s.streams;
}
QHash<quint32, bool> &part(PulseAudioCaptureSource::Snapshot &s, const pa_source_info *)
{
    return s.sourceIsMonitor;
}
QHash<quint32, PulseAudioCaptureSource::Snapshot::Client> &part(PulseAudioCaptureSource::Snapshot &s,
                                                                const pa_client_info *)
{
    return s.clients;
}

void add(PulseAudioCaptureSource::Snapshot &s, const pa_source_output_info &info)
{
    s.streams.insert(info.index, {info.index, info.client, info.source, info.corked != 0,
                                  QByteArray(info.resample_method), keptProps(info.proplist)});
}
void add(PulseAudioCaptureSource::Snapshot &s, const pa_source_info &info)
{
    s.sourceIsMonitor.insert(info.index, info.monitor_of_sink != PA_INVALID_INDEX);
}
void add(PulseAudioCaptureSource::Snapshot &s, const pa_client_info &info)
{
    s.clients.insert(info.index, {QString::fromUtf8(info.name), keptProps(info.proplist)});
}

} // namespace

// One request in flight: a whole list (index PA_INVALID_INDEX) or one object.
struct PulseAudioCaptureSource::Fetch : PulseOperations::Data {
    PulseAudioCaptureSource *owner = nullptr;
    quint32 index = PA_INVALID_INDEX;
    bool found = false;
    Snapshot list; // a whole list's items, taken at its end

    // One item, or the end (eol 1), or a failure (eol -1: for one object, it is gone).
    template <typename Info> static void collect(pa_context *, const Info *info, int eol, void *data)
    {
        auto *fetch = static_cast<Fetch *>(data);
        Snapshot &known = fetch->owner->m_known;
        const bool whole = fetch->index == PA_INVALID_INDEX;
        if (eol == 0 && info) {
            fetch->found = true;
            return add(whole ? fetch->list : known, *info);
        }
        const Info *kind = nullptr;
        // A list that failed leaves what was known; the connection is going.
        if (whole && eol > 0)
            part(known, kind) = std::move(part(fetch->list, kind));
        else if (!whole && !fetch->found)
            part(known, kind).remove(fetch->index);
        fetch->owner->fetchDone();
    }
};

PulseAudioCaptureSource::PulseAudioCaptureSource(PulseConnection &connection, QObject *parent)
    : AudioCaptureSource(parent)
    , m_connection(connection)
{}

PulseAudioCaptureSource::~PulseAudioCaptureSource() = default;

void PulseAudioCaptureSource::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_connection, &PulseConnection::ready, this, &PulseAudioCaptureSource::readAll);
    connect(&m_connection, &PulseConnection::lost, this, &PulseAudioCaptureSource::onLost);
    connect(&m_connection, &PulseConnection::subscriptionEvent, this, &PulseAudioCaptureSource::onEvent);
    m_connection.subscribe(pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT |
                                                  PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_CLIENT));
    m_connection.start();
    if (m_connection.isReady())
        readAll();
}

void PulseAudioCaptureSource::readAll()
{
    pa_context *context = m_connection.context();
    if (!context)
        return;
    m_operations.cancelAll();
    m_pending = 0;
    m_known = {};
    m_known.ownClient = pa_context_get_index(context);
    m_known.ownPid = qint32(::getpid());
    fetch<pa_source_output_info>(PA_INVALID_INDEX, [](pa_context *c, auto done, void *data) {
        return pa_context_get_source_output_info_list(c, done, data);
    });
    fetch<pa_source_info>(PA_INVALID_INDEX, [](pa_context *c, auto done, void *data) {
        return pa_context_get_source_info_list(c, done, data);
    });
    fetch<pa_client_info>(PA_INVALID_INDEX, [](pa_context *c, auto done, void *data) {
        return pa_context_get_client_info_list(c, done, data);
    });
}

void PulseAudioCaptureSource::onEvent(int facility, int type, quint32 index)
{
    if (type == PA_SUBSCRIPTION_EVENT_REMOVE) {
        switch (facility) {
        case PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT:
            m_known.streams.remove(index);
            break;
        case PA_SUBSCRIPTION_EVENT_SOURCE:
            m_known.sourceIsMonitor.remove(index);
            break;
        case PA_SUBSCRIPTION_EVENT_CLIENT:
            m_known.clients.remove(index);
            break;
        default:
            return;
        }
        if (m_pending == 0)
            queuePublish();
        return;
    }
    switch (facility) {
    case PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT:
        fetch<pa_source_output_info>(index, [index](pa_context *c, auto done, void *data) {
            return pa_context_get_source_output_info(c, index, done, data);
        });
        break;
    case PA_SUBSCRIPTION_EVENT_SOURCE:
        // Whether a source is a monitor never changes; its many state changes need no answer.
        if (!m_known.sourceIsMonitor.contains(index))
            fetch<pa_source_info>(index, [index](pa_context *c, auto done, void *data) {
                return pa_context_get_source_info_by_index(c, index, done, data);
            });
        break;
    case PA_SUBSCRIPTION_EVENT_CLIENT:
        fetch<pa_client_info>(index, [index](pa_context *c, auto done, void *data) {
            return pa_context_get_client_info(c, index, done, data);
        });
        break;
    default:
        break;
    }
}

template <typename Info, typename Request> void PulseAudioCaptureSource::fetch(quint32 index, Request request)
{
    pa_context *context = m_connection.context();
    if (!context)
        return;
    auto fetch = std::make_unique<Fetch>();
    fetch->owner = this;
    fetch->index = index;
    Fetch *data = fetch.get();
    // Not started when the connection is failing; lost() follows.
    if (m_operations.keep(request(context, &Fetch::collect<Info>, data), std::move(fetch)))
        ++m_pending;
}

void PulseAudioCaptureSource::fetchDone()
{
    if (--m_pending == 0)
        queuePublish();
}

void PulseAudioCaptureSource::queuePublish()
{
    if (m_publishQueued)
        return;
    m_publishQueued = true;
    // Leaves libpulse's callback first; answers that come meanwhile share the turn.
    QMetaObject::invokeMethod(this, &PulseAudioCaptureSource::publishKnown, Qt::QueuedConnection);
}

void PulseAudioCaptureSource::publishKnown()
{
    m_publishQueued = false;
    // Half a change is not published: the last outstanding answer queues again.
    if (m_pending == 0)
        publish(capturesIn(m_known));
}

void PulseAudioCaptureSource::onLost()
{
    m_operations.cancelAll();
    m_pending = 0;
    m_known = {};
    // Every stream went with the server; the next connection reads them anew.
    publish({});
}

void PulseAudioCaptureSource::publish(const QList<AudioCapture> &captures)
{
    if (captures == m_captures)
        return;
    m_captures = captures;
    Q_EMIT capturesChanged();
}

QList<AudioCapture> PulseAudioCaptureSource::capturesIn(const Snapshot &snapshot)
{
    // PipeWire's pulse server records itself as every pulse client's peer
    // (pipewire.sec.pid); a server that records the real peer records us as
    // ourselves, and only then is the peer pid the client's.
    const bool peerPidsTrue =
        snapshot.ownPid > 0 &&
        pidValue(snapshot.clients.value(snapshot.ownClient).props.value("pipewire.sec.pid")) ==
            snapshot.ownPid;
    QList<AudioCapture> found;
    for (const Snapshot::Stream &stream : snapshot.streams) {
        // Streams of modules (loopbacks, remaps) have no client: they carry
        // audio between devices, nobody listens through them.
        const auto client = snapshot.clients.constFind(stream.client);
        if (stream.client == PA_INVALID_INDEX || client == snapshot.clients.constEnd() ||
            stream.client == snapshot.ownClient)
            continue;
        // A stream is first made corked and unlinked, then started.
        if (stream.corked || stream.source == PA_INVALID_INDEX)
            continue;
        // Recording what a sink plays is not listening to a microphone.
        if (snapshot.sourceIsMonitor.value(stream.source, true))
            continue;
        // Level meters (volume controls' peak streams) only watch the level.
        if (stream.props.value("stream.monitor") == "true" || stream.resampleMethod == "peaks")
            continue;
        AudioCapture capture;
        capture.id = stream.index;
        capture.pid = pidValue(firstOf("application.process.id", stream.props, client->props));
        if (peerPidsTrue)
            capture.hostPid = pidValue(client->props.value("pipewire.sec.pid"));
        capture.appId =
            QString::fromUtf8(firstOf("pipewire.access.portal.app_id", stream.props, client->props));
        capture.clientName = client->name;
        if (capture.clientName.isEmpty())
            capture.clientName = QString::fromUtf8(firstOf("application.name", stream.props, client->props));
        capture.binary =
            QString::fromUtf8(firstOf("application.process.binary", stream.props, client->props));
        found.append(capture);
    }
    std::sort(found.begin(), found.end(),
              [](const AudioCapture &a, const AudioCapture &b) { return a.id < b.id; });
    return found;
}
