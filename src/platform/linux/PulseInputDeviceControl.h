#pragma once

#include "InputDeviceControl.h"
#include "PulseOperations.h"

#include <QHash>
#include <QMap>

class PulseConnection;
struct pa_context;
struct pa_operation;
struct pa_source_info;

// The audio server's sources as inputs, on the shared connection. Monitors
// of outputs and the quiet microphone are left out.
//
// Every source event means "read that source again". A write shows in
// devices() at once, as asked (and is announced), so nothing judges a source
// by what it was before; while the write is unconfirmed, what is read of the source is held
// back (it may predate the write), and once the server confirms, the source
// is read afresh: a refused write shows the real state again, and a change
// somebody made meanwhile is never missed.
class PulseInputDeviceControl : public InputDeviceControl {
    Q_OBJECT
public:
    explicit PulseInputDeviceControl(PulseConnection &connection, QObject *parent = nullptr);
    ~PulseInputDeviceControl() override;

    void start() override;
    bool isAvailable() const override { return m_available; }
    QList<InputDevice> devices() const override { return m_sources.values(); }
    void setMute(const QString &uid, bool mute, Done done = {}) override;
    void setVolumes(const QString &uid, const QList<quint32> &volumes, Done done = {}) override;
    bool settle(int timeoutMs) override;

    // What an audio server source is as an input; nothing for a monitor or
    // the quiet microphone.
    static std::optional<InputDevice> inputFrom(const pa_source_info &info);

private:
    struct Write;
    void readAll();
    void readSource(quint32 index);
    void readSource(const QString &uid);
    bool take(quint32 index, const pa_source_info &info);
    void finishListRead();
    void onEvent(int facility, int type, quint32 index);
    void onLost();
    void setAvailable(bool available);
    using StartWrite =
        std::function<pa_operation *(pa_context *, void (*)(pa_context *, int, void *), void *)>;
    // False when the write was not sent.
    bool write(const QString &uid, Done done, const StartWrite &startWrite);
    void finishWrite(Write &write, bool ok);
    void showAsAsked(const QString &uid, const std::function<void(InputDevice &)> &change);

    PulseConnection &m_connection;
    PulseOperations m_operations;
    QMap<quint32, InputDevice> m_sources; // by server index: the order they appeared
    QHash<QString, int> m_unconfirmedWrites;
    bool m_started = false;
    bool m_available = false;
};
