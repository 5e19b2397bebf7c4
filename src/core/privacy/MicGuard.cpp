#include "MicGuard.h"

#include "DefaultsStore.h"
#include "InputDeviceControl.h"
#include "QuietMicDriver.h"
#include "Text.h"

#include <QPointer>

#include <memory>

#include <algorithm>

namespace {

bool isGuarded(const InputDevice &device)
{
    return !device.uid.isEmpty() && device.uid != QLatin1String(QuietMicDriver::uid);
}

QString displayName(const InputDevice &device)
{
    // The server's description, which whoever made the device chose.
    return shownName({device.name, Text::tr("Microphone")});
}

bool canBeSilenced(const InputDevice &device)
{
    return device.mute.has_value() || !device.volumes.isEmpty();
}

constexpr qint64 firstRetryMs = 2000;
constexpr qint64 longestRetryMs = 5 * 60 * 1000;

} // namespace

MicGuard::MicGuard(DefaultsStore &defaults, InputDeviceControl &inputs, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_inputs(inputs)
{
    connect(&m_inputs, &InputDeviceControl::devicesChanged, this, &MicGuard::devicesChanged);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MicGuard::retryRefused);
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
    clearRefusals();
    // A restore still in flight must not drop the record the guard now relies on.
    m_restoring.clear();
    for (const InputDevice &device : m_inputs.devices())
        mute(device, false);
}

void MicGuard::turnOff()
{
    m_inputs.start();
    if (m_isOn) {
        m_isOn = false;
        m_watched.clear();
        m_refusalReported.clear();
        clearRefusals();
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
        if (isGuarded(device) && record != saved.constEnd() && !m_restoring.contains(device.uid) &&
            !isBackingOff(device.uid))
            restore(device, *record);
    }
}

void MicGuard::mute(const InputDevice &device, bool announce)
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

    // Said to be silenced again only once the server took every write.
    const QPointer<MicGuard> self(this);
    const QString uid = device.uid;
    const QString name = displayName(device);
    struct Answers {
        int pending = 0;
        bool refused = false;
    };
    const auto answers = std::make_shared<Answers>();
    answers->pending = (device.mute ? 1 : 0) + (device.volumes.isEmpty() ? 0 : 1);
    const auto answered = [self, uid, name, answers, announce](bool ok) {
        answers->refused = answers->refused || !ok;
        MicGuard *guard = self.data();
        if (--answers->pending > 0 || !guard || !guard->m_isOn)
            return;
        if (answers->refused)
            guard->refused(uid, name, true);
        else if (announce)
            Q_EMIT guard->reapplied(name);
    };
    m_applying = true;
    if (device.mute)
        m_inputs.setMute(uid, true, answered);
    if (!device.volumes.isEmpty())
        m_inputs.setVolumes(uid, QList<quint32>(device.volumes.size(), 0), answered);
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
    const bool wasRefused = it->refused;
    m_restoring.erase(it);
    if (wasRefused)
        refused(uid, name, false);
    else
        forget(uid);
}

void MicGuard::forget(const QString &uid)
{
    m_refusals.remove(uid);
    MicGuardRecords::Map saved = MicGuardRecords::read(m_defaults);
    if (saved.remove(uid) > 0)
        MicGuardRecords::write(m_defaults, saved);
}

void MicGuard::devicesChanged()
{
    if (m_applying)
        return;
    const QList<InputDevice> devices = m_inputs.devices();
    // An input that went away (or a server that did) leaves nothing in flight:
    // what it was asked is asked again, at once, when it is back.
    QSet<QString> present;
    for (const InputDevice &device : devices)
        present.insert(device.uid);
    m_restoring.removeIf(
        [&present](QHash<QString, Restore>::iterator it) { return !present.contains(it.key()); });
    m_refusals.removeIf(
        [&present](QHash<QString, Refusal>::iterator it) { return !present.contains(it.key()); });
    if (!m_isOn) {
        restoreLeftovers();
        return;
    }
    // An input that went away is silenced afresh when it comes back.
    m_watched.intersect(present);

    for (const InputDevice &device : devices) {
        if (!isGuarded(device) || isBackingOff(device.uid))
            continue;
        if (!m_watched.contains(device.uid)) {
            mute(device, false);
        } else if (!isSilent(device) && canBeSilenced(device)) {
            // Not silent after a refusal is the server's answer, not somebody turning it up.
            mute(device, !m_refusals.contains(device.uid));
        } else if (isSilent(device)) {
            m_refusals.remove(device.uid);
        }
    }
}

void MicGuard::refused(const QString &uid, const QString &name, bool silencing)
{
    // Tried again later, never at once: a server that refuses a write refuses
    // it again, and every answer would set off the next try.
    Refusal &refusal = m_refusals[uid];
    const qint64 delayMs = std::min(firstRetryMs << std::min(refusal.attempts, 16), longestRetryMs);
    ++refusal.attempts;
    refusal.retryAt = QDeadlineTimer(delayMs);
    scheduleRetry();
    reportRefusal(uid, name, silencing);
}

bool MicGuard::isBackingOff(const QString &uid) const
{
    const auto it = m_refusals.constFind(uid);
    return it != m_refusals.constEnd() && !it->retryAt.hasExpired();
}

void MicGuard::scheduleRetry()
{
    qint64 soonest = -1;
    for (const Refusal &refusal : std::as_const(m_refusals)) {
        const qint64 remaining = refusal.retryAt.remainingTime();
        if (soonest < 0 || remaining < soonest)
            soonest = remaining;
    }
    if (soonest < 0)
        m_retry.stop();
    else
        m_retry.start(int(soonest));
}

void MicGuard::clearRefusals()
{
    m_refusals.clear();
    m_retry.stop();
}

void MicGuard::retryRefused()
{
    devicesChanged();
    scheduleRetry();
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
