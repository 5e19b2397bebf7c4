#include "SimInputDeviceControl.h"

void SimInputDeviceControl::setMute(const QString &uid, bool mute, Done done)
{
    write(
        uid,
        [mute](InputDevice &device) {
            if (!device.mute)
                return false;
            device.mute = mute;
            return true;
        },
        done);
}

void SimInputDeviceControl::setVolumes(const QString &uid, const QList<quint32> &volumes, Done done)
{
    write(
        uid,
        [&volumes](InputDevice &device) {
            if (device.volumes.size() != volumes.size())
                return false;
            device.volumes = volumes;
            return true;
        },
        done);
}

void SimInputDeviceControl::write(const QString &uid, const std::function<bool(InputDevice &)> &change,
                                  const Done &done)
{
    ++writes;
    bool ok = false;
    if (m_available && !refusing.contains(uid)) {
        for (InputDevice &device : m_devices) {
            if (device.uid == uid && change(device)) {
                ok = true;
                Q_EMIT devicesChanged();
                break;
            }
        }
    }
    if (!done)
        return;
    if (holdAcks)
        m_heldAcks.append({done, ok});
    else
        done(ok);
}

void SimInputDeviceControl::releaseAcks()
{
    const QList<std::pair<Done, bool>> acks = std::exchange(m_heldAcks, {});
    for (const auto &[done, ok] : acks)
        done(ok);
}

void SimInputDeviceControl::putDevice(const InputDevice &device)
{
    for (InputDevice &existing : m_devices) {
        if (existing.uid == device.uid) {
            existing = device;
            Q_EMIT devicesChanged();
            return;
        }
    }
    m_devices.append(device);
    Q_EMIT devicesChanged();
}

void SimInputDeviceControl::removeDevice(const QString &uid)
{
    m_devices.removeIf([&uid](const InputDevice &d) { return d.uid == uid; });
    Q_EMIT devicesChanged();
}

std::optional<InputDevice> SimInputDeviceControl::device(const QString &uid) const
{
    for (const InputDevice &d : m_devices) {
        if (d.uid == uid)
            return d;
    }
    return std::nullopt;
}

void SimInputDeviceControl::setAvailable(bool available)
{
    if (m_available == available)
        return;
    m_available = available;
    Q_EMIT availableChanged(available);
    Q_EMIT devicesChanged();
}
