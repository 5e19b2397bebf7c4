#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// One audio input as the audio server shows it.
struct InputDevice {
    // The audio server's own steps: volumeNorm is 100 %, 0 is silence, and
    // more than volumeNorm amplifies.
    static constexpr quint32 volumeNorm = 0x10000;
    // The most the server takes (PA_VOLUME_MAX); it refuses any write above.
    static constexpr quint32 volumeMax = 0x7fffffff;

    QString uid;              // the name the server knows it by; stable across restarts
    QString name;             // what the user sees
    std::optional<bool> mute; // absent for an input without a mute switch
    QList<quint32> volumes;   // one per channel, in order

    friend bool operator==(const InputDevice &, const InputDevice &) = default;
};

// The machine's audio inputs (never what a speaker plays back, never the
// quiet microphone) with their mute switches and channel volumes. Lives on the
// main thread and is event-driven: devicesChanged() fires after every change
// the server reports, whoever made it.
//
// Writes ask the server. devices() shows a write at once, as asked, and
// devicesChanged() announces it; the server's state replaces it once the
// server has answered, and `done` says whether it took the change. `done` is
// not called when the server goes away first.
class InputDeviceControl : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool ok)>;

    using QObject::QObject;
    // Connects and reads the inputs; later calls do nothing.
    virtual void start() = 0;
    // The inputs have been read from a server that is there.
    virtual bool isAvailable() const = 0;
    // In the order they appeared.
    virtual QList<InputDevice> devices() const = 0;
    virtual void setMute(const QString &uid, bool mute, Done done = {}) = 0;
    // One volume per channel of the input.
    virtual void setVolumes(const QString &uid, const QList<quint32> &volumes, Done done = {}) = 0;
    // For the moments before the process ends: waits, running a local event
    // loop for at most `timeoutMs`, until the server has answered every write
    // asked so far. Answers whether it did.
    virtual bool settle(int timeoutMs) = 0;

Q_SIGNALS:
    void devicesChanged();
    void availableChanged(bool available);
};
