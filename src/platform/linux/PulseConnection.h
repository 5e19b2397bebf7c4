#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/subscribe.h>

struct pa_glib_mainloop;

// One connection to the audio server (PulseAudio, or PipeWire's pulse
// server), shared by everything that reads or changes audio state. Runs on
// the GLib main loop that Qt dispatches, so every callback arrives on the
// main thread.
//
// It connects without spawning a server. A server that is not there yet is
// waited for, and one that goes away is connected to again when it comes
// back. libpulse waits by itself where it can watch for the server on the
// session bus, but cannot without a bus or with an explicit address, and
// misses a server that announces itself before it accepts connections (as
// PipeWire's does): so while disconnected, and only then, a single-shot
// timer also tries again, with a pause growing from 250 ms to 8 s.
class PulseConnection : public QObject {
    Q_OBJECT
public:
    // `server` is a libpulse server string; empty means the user's default server.
    explicit PulseConnection(QString server = {}, QObject *parent = nullptr);
    ~PulseConnection() override;

    // Connects; later calls do nothing.
    void start();
    bool isReady() const { return m_ready; }
    // The live context while ready, otherwise null. Operations started on it
    // must be released with pa_operation_unref (or passed to `release`).
    pa_context *context() const { return m_ready ? m_context : nullptr; }
    static void release(pa_operation *operation);

    // Adds facilities to the subscription; kept across reconnections. Users
    // ask for what they need and filter the events they are given.
    void subscribe(pa_subscription_mask_t facilities);

Q_SIGNALS:
    // The context became ready (first connection or a reconnection): every
    // user reads its state afresh.
    void ready();
    // The server went away; what was read from it is no longer true.
    void lost();
    // A subscription event: `facility` and `type` are the masked parts of
    // pa_subscription_event_type_t.
    void subscriptionEvent(int facility, int type, quint32 index);

private:
    void connectToServer();
    void armRetry();
    void retry();
    void dropContext();
    void onStateChanged();
    void onEvent(pa_subscription_event_type_t type, quint32 index);
    void applySubscription();

    QString m_server;
    pa_glib_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    bool m_started = false;
    bool m_ready = false;
    int m_mask = PA_SUBSCRIPTION_MASK_NULL;
    QTimer m_retry; // single-shot, only while no server could be reached
    int m_retryPauseMs;
};
