#pragma once

#include <QObject>
#include <QString>

class PulseConnection;
struct pa_stream;

// Soft white noise played into one output of the audio server, for as long
// as it is asked to. Cheap by design: mono 16-bit samples from a xorshift
// generator, written in half-second chunks, so the server wakes it a few
// times a second.
class PulseNoiseStream : public QObject {
    Q_OBJECT
public:
    // Peak of the noise in 16-bit steps: about -45 dBFS RMS, a quiet room.
    static constexpr int amplitude = 300;

    explicit PulseNoiseStream(PulseConnection &connection, QObject *parent = nullptr);
    ~PulseNoiseStream() override;

    // Plays into the output `sinkName` at `rate`; nothing when it already does.
    void play(const QString &sinkName, quint32 rate);
    void stop();
    bool isPlaying() const { return m_stream != nullptr; }

    // Fills `samples` with noise; the generator's state carries over.
    static void fill(qint16 *samples, size_t count, quint32 &state);

private:
    void writeMore(size_t bytes);
    void stateChanged();

    PulseConnection &m_connection;
    pa_stream *m_stream = nullptr;
    QString m_sink;
    quint32 m_rate = 0;
    quint32 m_noiseState = 0x2545f491;
    quint64 m_generation = 0; // one per stream, so a late drop never hits a newer one
};
