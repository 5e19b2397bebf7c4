#pragma once

#include "InputDeviceControl.h"

#include <QSet>

// Inputs set by hand. A write changes the input and is announced at once, as
// the server confirms a change; refused inputs keep their state. Acks can be
// held back to stand for a server that has not answered yet.
class SimInputDeviceControl : public InputDeviceControl {
    Q_OBJECT
public:
    using InputDeviceControl::InputDeviceControl;

    void start() override { ++startCalls; }
    bool isAvailable() const override { return m_available; }
    // A server that is not there lists nothing.
    QList<InputDevice> devices() const override { return m_available ? m_devices : QList<InputDevice>(); }
    void setMute(const QString &uid, bool mute, Done done = {}) override;
    void setVolumes(const QString &uid, const QList<quint32> &volumes, Done done = {}) override;
    // Held acks are never answered while it waits.
    bool settle(int) override { return m_heldAcks.isEmpty(); }

    // What another app or the user does: adds or replaces the input, and announces it.
    void putDevice(const InputDevice &device);
    void removeDevice(const QString &uid);
    std::optional<InputDevice> device(const QString &uid) const;
    void setAvailable(bool available);

    // Inputs whose writes the server refuses.
    QSet<QString> refusing;
    // While set, acks wait for releaseAcks().
    bool holdAcks = false;
    void releaseAcks();

    int startCalls = 0;
    int writes = 0;

private:
    void write(const QString &uid, const std::function<bool(InputDevice &)> &change, const Done &done);

    bool m_available = true;
    QList<InputDevice> m_devices;
    QList<std::pair<Done, bool>> m_heldAcks;
};
