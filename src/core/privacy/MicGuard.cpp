#include "MicGuard.h"

#include "DefaultsStore.h"
#include "InputDeviceControl.h"
#include "QuietMicDriver.h"
#include "Text.h"

#include <QPointer>

#include <algorithm>

namespace {

bool isGuarded(const InputDevice &device)
{
    return !device.uid.isEmpty() && device.uid != QLatin1String(QuietMicDriver::uid);
}

QString displayName(const InputDevice &device)
{
    // The server's description, which whoever made the device chose.
    return shownName({device.name, L("Microphone")});
}

bool canBeSilenced(const InputDevice &device)
{
    return device.mute.has_value() || !device.volumes.isEmpty();
}

} // namespace

MicGuard::MicGuard(DefaultsStore &defaults, InputDeviceControl &inputs, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_inputs(inputs)
{
    connect(&m_inputs, &InputDeviceControl::devicesChanged, this, &MicGuard::devicesChanged);
}

QList<quint32> MicGuard::volumeElements(const InputDevice &device)
{
    QList<quint32> elements;
    for (qsizetype channel = 0; channel < device.volumes.size(); ++channel)
        elements.append(quint32(channel + 1));
    return elements;
}

bool MicGuard::isSilent(const InputDevice &device)
{
    if (device.mute.value_or(false))
        return true;
    return !device.volumes.isEmpty() &&
           std::all_of(device.volumes.cbegin(), device.volumes.cend(), [](quint32 v) { return v == 0; });
}

void MicGuard::turnOn()
{
    m_inputs.start();
    if (m_isOn)
        return;
    m_isOn = true;
    m_refusalReported.clear();
    // A restore still in flight must not drop the record the guard now relies on.
    m_restoring.clear();
    for (const InputDevice &device : m_inputs.devices())
        mute(device);
}

void MicGuard::turnOff()
{
    m_inputs.start();
    if (m_isOn) {
        m_isOn = false;
        m_watched.clear();
        m_refusalReported.clear();
    }
    restoreLeftovers();
}

void MicGuard::restoreLeftovers()
{
    m_inputs.start();
    if (m_isOn)
        return; // what is recorded now is what turnOff gives back
    const MicGuardRecords::Map saved = MicGuardRecords::read(m_defaults);
    if (saved.isEmpty())
        return;
    for (const InputDevice &device : m_inputs.devices()) {
        const auto record = saved.constFind(device.uid);
        if (isGuarded(device) && record != saved.constEnd() && !m_restoring.contains(device.uid))
            restore(device, *record);
    }
}

void MicGuard::mute(const InputDevice &device)
{
    if (!isGuarded(device))
        return;
    MicGuardRecords::Map saved = MicGuardRecords::read(m_defaults);
    // The first record is the one given back, however often the input is silenced.
    if (!saved.contains(device.uid)) {
        Saved record;
        record.mute = device.mute;
        const QList<quint32> elements = volumeElements(device);
        for (qsizetype i = 0; i < elements.size(); ++i)
            record.volumes.insert(elements.at(i), device.volumes.at(i));
        saved.insert(device.uid, record);
        MicGuardRecords::write(m_defaults, saved);
    }

    const QPointer<MicGuard> self(this);
    const QString uid = device.uid;
    const QString name = displayName(device);
    const auto refused = [self, uid, name](bool ok) {
        MicGuard *guard = self.data();
        if (guard && !ok && guard->m_isOn)
            guard->reportRefusal(uid, name, true);
    };
    m_applying = true;
    if (device.mute)
        m_inputs.setMute(uid, true, refused);
    if (!device.volumes.isEmpty())
        m_inputs.setVolumes(uid, QList<quint32>(device.volumes.size(), 0), refused);
    m_applying = false;
    m_watched.insert(uid);
}

void MicGuard::restore(const InputDevice &device, const Saved &saved)
{
    QList<quint32> volumes = device.volumes;
    bool volumesSaved = false;
    for (auto it = saved.volumes.constBegin(); it != saved.volumes.constEnd(); ++it) {
        if (it.key() >= 1 && it.key() <= quint32(volumes.size())) {
            volumes[it.key() - 1] = it.value();
            volumesSaved = true;
        }
    }
    Restore restore;
    restore.serial = ++m_restoreSerial;
    restore.pending = (saved.mute ? 1 : 0) + (volumesSaved ? 1 : 0);
    const QString uid = device.uid;
    const QString name = displayName(device);
    if (restore.pending == 0) {
        forget(uid); // nothing could be recorded, so there is nothing to give back
        return;
    }
    m_restoring.insert(uid, restore);

    const QPointer<MicGuard> self(this);
    const auto finished = [self, uid, name, serial = restore.serial](bool ok) {
        if (MicGuard *guard = self.data())
            guard->finishRestore(uid, name, serial, ok);
    };
    m_applying = true;
    if (saved.mute)
        m_inputs.setMute(uid, *saved.mute, finished);
    if (volumesSaved)
        m_inputs.setVolumes(uid, volumes, finished);
    m_applying = false;
}

void MicGuard::finishRestore(const QString &uid, const QString &name, quint64 serial, bool ok)
{
    const auto it = m_restoring.find(uid);
    // Overtaken: the guard was turned on meanwhile, or a newer restore runs.
    if (it == m_restoring.end() || it->serial != serial)
        return;
    it->refused = it->refused || !ok;
    if (--it->pending > 0)
        return;
    const bool refused = it->refused;
    m_restoring.erase(it);
    if (refused)
        reportRefusal(uid, name, false);
    else
        forget(uid);
}

void MicGuard::forget(const QString &uid)
{
    MicGuardRecords::Map saved = MicGuardRecords::read(m_defaults);
    if (saved.remove(uid) > 0)
        MicGuardRecords::write(m_defaults, saved);
}

void MicGuard::devicesChanged()
{
    if (m_applying)
        return;
    const QList<InputDevice> devices = m_inputs.devices();
    if (!m_isOn) {
        restoreLeftovers();
        return;
    }
    // An input that went away is silenced afresh when it comes back.
    QSet<QString> present;
    for (const InputDevice &device : devices)
        present.insert(device.uid);
    m_watched.intersect(present);

    for (const InputDevice &device : devices) {
        if (!isGuarded(device))
            continue;
        if (!m_watched.contains(device.uid)) {
            mute(device);
        } else if (!isSilent(device) && canBeSilenced(device)) {
            mute(device);
            Q_EMIT reapplied(displayName(device));
        }
    }
}

void MicGuard::reportRefusal(const QString &uid, const QString &name, bool silencing)
{
    if (m_refusalReported.contains(uid))
        return;
    m_refusalReported.insert(uid);
    if (silencing)
        Q_EMIT silenceRefused(name);
    else
        Q_EMIT restoreRefused(name);
}
