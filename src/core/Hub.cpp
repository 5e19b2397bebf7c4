#include "Hub.h"

#include "DefaultsKeys.h"
#include "DefaultsStore.h"
#include "SensorHistory.h"
#include "SensorWatcher.h"
#include "Text.h"

#include <algorithm>

namespace {

QStringList sorted(const QSet<QString> &set)
{
    QStringList list(set.begin(), set.end());
    std::sort(list.begin(), list.end());
    return list;
}

QSet<QString> toSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

Hub::MicSound micSoundFromText(const QString &text)
{
    return text == QLatin1String("whiteNoise") ? Hub::MicSound::WhiteNoise : Hub::MicSound::Silence;
}

} // namespace

Hub::Hub(DefaultsStore &defaults, const AppInfo &info, QObject *parent)
    : Hub(defaults, info, HubServices{}, parent)
{
}

Hub::Hub(DefaultsStore &defaults, const AppInfo &info, HubServices services, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_sensors(std::move(services.sensors))
    , m_dataFolder(std::move(services.dataFolder))
{
    namespace K = DefaultsKeys;
    m_micSound = micSoundFromText(defaults.stringValue(QLatin1String(K::micSound)));
    m_allowList = toSet(defaults.stringListValue(QLatin1String(K::allowList)));
    m_autoQuitWhenOff = defaults.boolValue(QLatin1String(K::autoQuitWhenOff), false);
    m_haloForCamera = defaults.boolValue(QLatin1String(K::haloCamera), true);
    m_haloForMic = defaults.boolValue(QLatin1String(K::haloMic), true);
    m_announce = defaults.boolValue(QLatin1String(K::announce), true);
    m_openOnHover = defaults.boolValue(QLatin1String(K::openOnHover), true);
    m_showRecommendations = defaults.boolValue(QLatin1String(K::showRecommendations), true);
    m_dismissedRecommendations = toSet(defaults.stringListValue(QLatin1String(K::dismissedRecommendations)));
    m_offersWhiteNoise = info.offersWhiteNoise();

    // The switch state survives restarts; the permission reset is not repeated.
    m_cameraOff = defaults.boolValue(QLatin1String(K::cameraOff), false);
    if (!m_offersWhiteNoise && m_micSound == MicSound::WhiteNoise)
        setMicSound(MicSound::Silence);

    if (m_sensors) {
        m_sensorState = m_sensors->state();
        connect(m_sensors.get(), &SensorWatcher::changed, this, &Hub::sensorsChanged);
    }
}

Hub::~Hub() = default;

void Hub::start()
{
    if (m_sensors)
        m_sensors->start();
    if (m_defaults.boolValue(QLatin1String(DefaultsKeys::micOff), false))
        setMicOff(true);
}

void Hub::setCameraOff(bool off)
{
    m_defaults.setValue(QLatin1String(DefaultsKeys::cameraOff), off);
    if (m_cameraOff == off)
        return;
    m_cameraOff = off;
    Q_EMIT cameraOffChanged(off);
}

void Hub::setMicOff(bool off)
{
    m_defaults.setValue(QLatin1String(DefaultsKeys::micOff), off);
    if (m_micOff == off)
        return;
    m_micOff = off;
    Q_EMIT micOffChanged(off);
}

void Hub::toggleEverythingOff()
{
    const bool off = !(m_cameraOff && m_micOff);
    setCameraOff(off);
    setMicOff(off);
}

QString Hub::micSoundText(MicSound sound)
{
    return sound == MicSound::WhiteNoise ? QStringLiteral("whiteNoise") : QStringLiteral("silence");
}

void Hub::setMicSound(MicSound sound)
{
    if (m_micSound == sound)
        return;
    m_micSound = sound;
    m_defaults.setValue(QLatin1String(DefaultsKeys::micSound), micSoundText(sound));
    Q_EMIT micSoundChanged(sound);
}

QStringList Hub::allowList() const
{
    return sorted(m_allowList);
}

void Hub::setAllowed(const QString &bundleID, bool allowed)
{
    if (allowed == m_allowList.contains(bundleID))
        return;
    if (allowed)
        m_allowList.insert(bundleID);
    else
        m_allowList.remove(bundleID);
    m_defaults.setStringList(QLatin1String(DefaultsKeys::allowList), sorted(m_allowList));
    Q_EMIT allowListChanged();
}

bool Hub::storeBool(bool &field, bool value, const char *key)
{
    if (field == value)
        return false;
    field = value;
    m_defaults.setValue(QLatin1String(key), value);
    return true;
}

void Hub::setAutoQuitWhenOff(bool on)
{
    if (storeBool(m_autoQuitWhenOff, on, DefaultsKeys::autoQuitWhenOff))
        Q_EMIT autoQuitWhenOffChanged(on);
}

void Hub::setHaloForCamera(bool on)
{
    if (!storeBool(m_haloForCamera, on, DefaultsKeys::haloCamera))
        return;
    Q_EMIT haloForCameraChanged(on);
    Q_EMIT haloRefresh();
}

void Hub::setHaloForMic(bool on)
{
    if (!storeBool(m_haloForMic, on, DefaultsKeys::haloMic))
        return;
    Q_EMIT haloForMicChanged(on);
    Q_EMIT haloRefresh();
}

void Hub::setAnnounce(bool on)
{
    if (storeBool(m_announce, on, DefaultsKeys::announce))
        Q_EMIT announceChanged(on);
}

void Hub::setOpenOnHover(bool on)
{
    if (storeBool(m_openOnHover, on, DefaultsKeys::openOnHover))
        Q_EMIT openOnHoverChanged(on);
}

void Hub::setShowRecommendations(bool on)
{
    if (storeBool(m_showRecommendations, on, DefaultsKeys::showRecommendations))
        Q_EMIT showRecommendationsChanged(on);
}

QStringList Hub::dismissedRecommendations() const
{
    return sorted(m_dismissedRecommendations);
}

void Hub::setDismissedRecommendations(const QStringList &ids)
{
    const QSet<QString> set = toSet(ids);
    if (set == m_dismissedRecommendations)
        return;
    m_dismissedRecommendations = set;
    m_defaults.setStringList(QLatin1String(DefaultsKeys::dismissedRecommendations), sorted(set));
    Q_EMIT dismissedRecommendationsChanged();
}

void Hub::setSimulating(bool on)
{
    if (m_simulating == on)
        return;
    m_simulating = on;
    Q_EMIT simulatingChanged(on);
}

void Hub::setShowcase(bool on)
{
    if (m_showcase == on)
        return;
    m_showcase = on;
    Q_EMIT showcaseChanged(on);
}

void Hub::guardReapplied(const QString &deviceName)
{
    const QDateTime now = m_clock();
    const auto last = m_lastGuardNote.constFind(deviceName);
    if (last != m_lastGuardNote.constEnd() && last->msecsTo(now) <= 60 * 1000)
        return;
    m_lastGuardNote.insert(deviceName, now);
    Q_EMIT note(L("%@ was turned up — Tarnwick silenced it again.", deviceName));
}

SensorHistory &Hub::history()
{
    if (!m_history) {
        const QString file =
            m_dataFolder.isEmpty() ? QString() : m_dataFolder + QStringLiteral("/history.json");
        m_history = std::make_unique<SensorHistory>(file);
    }
    return *m_history;
}

void Hub::sensorsChanged(const SensorState &before, const SensorState &after)
{
    if (m_sensorState != after) {
        m_sensorState = after;
        Q_EMIT sensorStateChanged(after);
    }
    // Made-up uses (demonstrations, the tutorial) are shown but never recorded.
    if (!m_simulating) {
        const QDateTime now = m_clock();
        history().update(Sensor::Camera, after.cameraUsers, now);
        history().update(Sensor::Microphone, after.micUsers, now);
        // Asking newly arrived camera users to quit while the camera is
        // switched off belongs here, after recording and before the shell hears.
    }
    Q_EMIT sensorChange(before, after);
}
