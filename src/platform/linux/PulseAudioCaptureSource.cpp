#include "PulseAudioCaptureSource.h"

#include "PulseConnection.h"

#include <pulse/introspect.h>
#include <pulse/operation.h>

#include <algorithm>
#include <array>

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

} // namespace

// One read of the three lists; the source owns it while it runs.
struct PulseAudioCaptureSource::Read {
    PulseAudioCaptureSource *owner = nullptr;
    std::array<pa_operation *, 3> operations{};
    int pending = 3;
    bool complete = false;
    bool failed = false; // a list could not be read: the snapshot is partial
    Snapshot snapshot;

    ~Read()
    {
        for (pa_operation *op : operations) {
            if (!op)
                continue;
            if (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
                pa_operation_cancel(op);
            pa_operation_unref(op);
        }
    }

    // One item of a list, or its end (eol 1), or its failure (eol -1).
    template <typename Info> static void collect(pa_context *, const Info *info, int eol, void *data)
    {
        auto *read = static_cast<Read *>(data);
        if (eol != 0 || !info) {
            read->failed = read->failed || eol <= 0;
            return read->listDone();
        }
        read->add(*info);
    }

    void add(const pa_source_output_info &info)
    {
        snapshot.streams.append({info.index, info.client, info.source, info.corked != 0,
                                 QByteArray(info.resample_method), keptProps(info.proplist)});
    }
    void add(const pa_source_info &info)
    {
        snapshot.sourceIsMonitor.insert(info.index, info.monitor_of_sink != PA_INVALID_INDEX);
    }
    void add(const pa_client_info &info)
    {
        snapshot.clients.insert(info.index, {QString::fromUtf8(info.name), keptProps(info.proplist)});
    }

    void listDone()
    {
        if (--pending > 0)
            return;
        complete = true;
        // Leave libpulse's callback before the operations are released.
        QMetaObject::invokeMethod(owner, &PulseAudioCaptureSource::finishRead, Qt::QueuedConnection);
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
    connect(&m_connection, &PulseConnection::ready, this, &PulseAudioCaptureSource::requestRead);
    connect(&m_connection, &PulseConnection::lost, this, &PulseAudioCaptureSource::onLost);
    connect(&m_connection, &PulseConnection::event, this, [this](int facility, int, quint32) {
        switch (facility) {
        case PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT:
        case PA_SUBSCRIPTION_EVENT_SOURCE:
        case PA_SUBSCRIPTION_EVENT_CLIENT:
        case PA_SUBSCRIPTION_EVENT_SERVER:
            requestRead();
            break;
        default:
            break;
        }
    });
    m_connection.subscribe(pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT |
                                                  PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_CLIENT |
                                                  PA_SUBSCRIPTION_MASK_SERVER));
    m_connection.start();
    if (m_connection.isReady())
        requestRead();
}

void PulseAudioCaptureSource::requestRead()
{
    if (m_read) {
        m_readAgain = true;
        return;
    }
    if (m_readQueued)
        return;
    m_readQueued = true;
    QMetaObject::invokeMethod(this, &PulseAudioCaptureSource::read, Qt::QueuedConnection);
}

void PulseAudioCaptureSource::read()
{
    m_readQueued = false;
    pa_context *context = m_connection.context();
    if (!context || m_read)
        return;
    m_readAgain = false;
    m_read = std::make_unique<Read>();
    Read *r = m_read.get();
    r->owner = this;
    r->snapshot.ownClient = pa_context_get_index(context);
    r->snapshot.ownPid = qint32(::getpid());
    r->operations[0] =
        pa_context_get_source_output_info_list(context, &Read::collect<pa_source_output_info>, r);
    r->operations[1] = pa_context_get_source_info_list(context, &Read::collect<pa_source_info>, r);
    r->operations[2] = pa_context_get_client_info_list(context, &Read::collect<pa_client_info>, r);
}

void PulseAudioCaptureSource::finishRead()
{
    if (!m_read || !m_read->complete)
        return; // dropped when the server went away
    const std::unique_ptr<Read> done = std::move(m_read);
    // A partial snapshot would drop captures that still run; keep what was known.
    if (!done->failed)
        publish(capturesIn(done->snapshot));
    if (m_readAgain)
        requestRead();
}

void PulseAudioCaptureSource::onLost()
{
    m_read.reset();
    m_readAgain = false;
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
