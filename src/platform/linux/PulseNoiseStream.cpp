#include "PulseNoiseStream.h"

#include "Log.h"
#include "PulseConnection.h"

#include <pulse/error.h>
#include <pulse/stream.h>

namespace {

constexpr pa_usec_t chunkUsec = 500 * 1000;

} // namespace

PulseNoiseStream::PulseNoiseStream(PulseConnection &connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
{
    // The stream dies with the connection.
    connect(&m_connection, &PulseConnection::lost, this, &PulseNoiseStream::stop);
}

PulseNoiseStream::~PulseNoiseStream()
{
    stop();
}

void PulseNoiseStream::fill(qint16 *samples, size_t count, quint32 &state)
{
    for (size_t i = 0; i < count; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        samples[i] = qint16(int(state % (2 * amplitude + 1)) - amplitude);
    }
}

void PulseNoiseStream::play(const QString &sinkName, quint32 rate)
{
    if (m_stream && m_sink == sinkName && m_rate == rate)
        return;
    stop();
    pa_context *context = m_connection.context();
    if (!context)
        return;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, rate, 1};
    m_stream = pa_stream_new(context, "Quiet microphone noise", &spec, nullptr);
    if (!m_stream) {
        qCWarning(lcAudio).noquote().nospace()
            << "quiet microphone: no noise stream: " << pa_strerror(pa_context_errno(context));
        return;
    }
    m_sink = sinkName;
    m_rate = rate;
    ++m_generation;
    pa_stream_set_write_callback(
        m_stream,
        [](pa_stream *, size_t bytes, void *self) {
            static_cast<PulseNoiseStream *>(self)->writeMore(bytes);
        },
        this);
    pa_stream_set_state_callback(
        m_stream, [](pa_stream *, void *self) { static_cast<PulseNoiseStream *>(self)->stateChanged(); },
        this);
    const uint32_t chunk = uint32_t(pa_usec_to_bytes(chunkUsec, &spec));
    const pa_buffer_attr buffer{uint32_t(-1), 2 * chunk, uint32_t(-1), chunk, uint32_t(-1)};
    // Never moved to another output by the server's stream rules.
    if (pa_stream_connect_playback(m_stream, sinkName.toUtf8().constData(), &buffer, PA_STREAM_DONT_MOVE,
                                   nullptr, nullptr) < 0) {
        qCWarning(lcAudio).noquote().nospace()
            << "quiet microphone: noise not played: " << pa_strerror(pa_context_errno(context));
        stop();
    }
}

void PulseNoiseStream::stop()
{
    if (!m_stream)
        return;
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    // A stream the server or a lost connection ended needs no disconnect.
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_READY || state == PA_STREAM_CREATING)
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_sink.clear();
}

void PulseNoiseStream::writeMore(size_t bytes)
{
    void *buffer = nullptr;
    if (pa_stream_begin_write(m_stream, &buffer, &bytes) < 0 || !buffer)
        return;
    bytes -= bytes % sizeof(qint16);
    fill(static_cast<qint16 *>(buffer), bytes / sizeof(qint16), m_noiseState);
    pa_stream_write(m_stream, buffer, bytes, nullptr, 0, PA_SEEK_RELATIVE);
}

void PulseNoiseStream::stateChanged()
{
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
        return;
    // Leave libpulse's callback before the stream goes.
    qCWarning(lcAudio).noquote().nospace()
        << "quiet microphone: the server ended the noise stream into " << m_sink;
    QMetaObject::invokeMethod(
        this,
        [this, generation = m_generation] {
            if (m_generation == generation)
                stop();
        },
        Qt::QueuedConnection);
}
