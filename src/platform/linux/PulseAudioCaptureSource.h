#pragma once

#include "AudioCaptureSource.h"

#include <QHash>

#include <memory>

class PulseConnection;

// Audio capture as the audio server sees it: its record streams ("source
// outputs"). Every reported change of a stream, source, client or the server
// means "read them all again"; events of one main-loop turn share one read.
class PulseAudioCaptureSource : public AudioCaptureSource {
    Q_OBJECT
public:
    // What one read gathers, reduced to what decides and names a capture.
    struct Snapshot {
        struct Stream {
            quint32 index = 0;
            quint32 client = 0; // PA_INVALID_INDEX for module-owned streams
            quint32 source = 0; // PA_INVALID_INDEX while not linked
            bool corked = false;
            QByteArray resampleMethod;
            QHash<QByteArray, QByteArray> props;
        };
        struct Client {
            QString name;
            QHash<QByteArray, QByteArray> props;
        };
        QList<Stream> streams;
        QHash<quint32, bool> sourceIsMonitor; // by source index
        QHash<quint32, Client> clients;       // by client index
        quint32 ownClient = 0xffffffff;       // this process's own connection (PA_INVALID_INDEX: none)
        qint32 ownPid = 0;
    };

    explicit PulseAudioCaptureSource(PulseConnection &connection, QObject *parent = nullptr);
    ~PulseAudioCaptureSource() override;

    void start() override;
    QList<AudioCapture> captures() const override { return m_captures; }

    // Which streams are microphone use, and who they belong to. This
    // process's own streams are known by its own client, never by a pid.
    static QList<AudioCapture> capturesIn(const Snapshot &snapshot);

private:
    struct Read;
    void requestRead();
    void read();
    void finishRead();
    void onLost();
    void publish(const QList<AudioCapture> &captures);

    PulseConnection &m_connection;
    QList<AudioCapture> m_captures;
    std::unique_ptr<Read> m_read; // the read in flight
    bool m_started = false;
    bool m_readQueued = false;
    bool m_readAgain = false; // something changed while a read was in flight
};
