#pragma once

#include "AudioCaptureSource.h"
#include "PulseOperations.h"

#include <QHash>

class PulseConnection;

// Audio capture as the audio server sees it: its record streams ("source
// outputs"). The lists of streams, sources and clients are read whole once a
// connection is ready; after that each reported change fetches only the object
// it names (a removal drops it), so a busy desktop's recorders cost one small
// answer per change. The server answers in order, events included, so applying
// every answer as it comes keeps the copy true. The captures are published
// once no answer is outstanding, at most once per main-loop turn.
class PulseAudioCaptureSource : public AudioCaptureSource {
    Q_OBJECT
public:
    // What is known of the server, reduced to what decides and names a capture.
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
        QHash<quint32, Stream> streams;       // by stream index
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
    struct Fetch;
    void readAll();
    void onEvent(int facility, int type, quint32 index);
    template <typename Info, typename Request> void fetch(quint32 index, Request request);
    void fetchDone();
    void queuePublish();
    void publishKnown();
    void onLost();
    void publish(const QList<AudioCapture> &captures);

    PulseConnection &m_connection;
    Snapshot m_known;
    QList<AudioCapture> m_captures;
    PulseOperations m_operations;
    int m_pending = 0; // fetches not answered yet
    bool m_started = false;
    bool m_publishQueued = false;
};
