#include "Hub.h"

#include "AccessRevoker.h"
#include "AppTerminator.h"
#include "DefaultsKeys.h"
#include "DefaultsStore.h"
#include "Detached.h"
#include "InputDeviceControl.h"
#include "Log.h"
#include "MicGuard.h"
#include "Prefs.h"
#include "QuietMic.h"
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
{}

Hub::Hub(DefaultsStore &defaults, const AppInfo &info, HubServices services, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_sensors(std::move(services.sensors))
    , m_inputs(services.inputDevices)
    , m_quietMic(services.quietMic)
    , m_cameraPermissions(std::move(services.cameraPermissions))
    , m_appTerminator(services.appTerminator)
    , m_appId(info.appId)
    , m_developmentBuild(info.isDevelopmentBuild())
    , m_realReset(services.environment.value(QStringLiteral("TARNWICK_REAL_RESET")) == QLatin1String("1"))
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
    if (m_inputs) {
        m_micGuard = std::make_unique<MicGuard>(m_defaults, *m_inputs);
        connect(m_micGuard.get(), &MicGuard::reapplied, this, &Hub::guardReapplied);
        connect(m_micGuard.get(), &MicGuard::silenceRefused, this, [this](const QString &name) {
            Q_EMIT note(L("%@ could not be silenced: the audio server refused.", name));
        });
        connect(m_micGuard.get(), &MicGuard::restoreRefused, this, [this](const QString &name) {
            Q_EMIT note(
                L("%@ could not be given its level back: the audio server refused. Tarnwick keeps the "
                  "saved level and tries again when the microphone changes.",
                  name));
        });
    }
    if (m_quietMic)
        connect(m_quietMic, &QuietMicDriver::changed, this, &Hub::quietMicChanged);
    connect(&m_cameraReset, &QFutureWatcher<CameraReset>::finished, this, &Hub::cameraResetFinished);
}

Hub::~Hub() = default;

void Hub::start()
{
    if (m_sensors)
        m_sensors->start();
    if (m_quietMic)
        m_quietMic->start();
    // The audio server is only being connected to: its absence is no news yet.
    if (m_defaults.boolValue(QLatin1String(DefaultsKeys::micOff), false))
        switchMic(true, false);
    else if (m_micGuard)
        m_micGuard->restoreLeftovers();
}

void Hub::setCameraOff(bool off)
{
    m_defaults.setValue(QLatin1String(DefaultsKeys::cameraOff), off);
    if (m_cameraOff != off) {
        m_cameraOff = off;
        Q_EMIT cameraOffChanged(off);
    }
    // Switching back on restores nothing: apps ask again when they next use the camera.
    if (!off)
        return;
    QSet<QString> keep = m_allowList;
    keep.insert(m_appId);
    keep.insert(QLatin1String(Prefs::fallbackAppId));
    // A development build leaves other apps' permissions alone unless told otherwise.
    if (m_developmentBuild && !m_realReset)
        return;
    if (m_cameraPermissions)
        resetCameraPermissions(keep);
}

void Hub::resetCameraPermissions(const QSet<QString> &keep)
{
    // Touches no hub state: it works on copies and the shared store, and its
    // result comes back through the watcher on the main thread.
    const std::shared_ptr<CameraPermissionStore> store = m_cameraPermissions;
    m_cameraReset.setFuture(Detached::run<CameraReset>([store, keep] {
        CameraReset reset;
        reset.storeAvailable = store->isAvailable();
        if (reset.storeAvailable) {
            QStringList ids;
            for (const AccessRevoker::AppInfo &app : AccessRevoker::apps(*store)) {
                if (!keep.contains(app.appId))
                    ids.append(app.appId);
            }
            reset.asked = int(ids.size());
            reset.succeeded = AccessRevoker::revoke(*store, ids);
        }
        return reset;
    }));
}

void Hub::cameraResetFinished()
{
    if (m_cameraReset.future().resultCount() == 0)
        return;
    const CameraReset reset = m_cameraReset.result();
    if (!reset.storeAvailable) {
        qCWarning(lcPrivacy).noquote().nospace()
            << "camera access not taken away: the permission store cannot be reached";
        Q_EMIT note(
            L("Camera access could not be taken away: the system’s permission store is not running."));
        return;
    }
    qCInfo(lcPrivacy).noquote().nospace()
        << "camera access taken from " << reset.succeeded << " of " << reset.asked << " apps";
}

void Hub::setMicOff(bool off)
{
    switchMic(off, true);
}

void Hub::switchMic(bool off, bool sayWhatFailed)
{
    m_defaults.setValue(QLatin1String(DefaultsKeys::micOff), off);
    if (m_micOff != off) {
        m_micOff = off;
        Q_EMIT micOffChanged(off);
    }
    if (!m_micGuard)
        return;
    // Without a server the switch still holds: the guard acts once the server is there.
    const bool serverMissing = sayWhatFailed && !m_inputs->isAvailable();
    if (off) {
        m_micGuard->turnOn();
        applyMicSound();
        if (serverMissing)
            Q_EMIT note(L("No audio server is running, so the microphones could not be silenced. Tarnwick "
                          "silences them as soon as it starts."));
        return;
    }
    if (m_quietMic)
        QuietMic::deactivate(*m_quietMic, m_defaults);
    m_micGuard->turnOff();
    if (serverMissing && !MicGuardRecords::read(m_defaults).isEmpty())
        Q_EMIT note(L("No audio server is running, so the microphones could not be given their levels back. "
                      "Tarnwick does it as soon as it starts."));
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
    if (m_micOff)
        applyMicSound();
}

bool Hub::updateQuietMicInstalled()
{
    const bool installed = m_quietMic && QuietMic::isInstalled(*m_quietMic);
    if (installed == m_quietMicInstalled)
        return false;
    m_quietMicInstalled = installed;
    Q_EMIT quietMicInstalledChanged(installed);
    return true;
}

void Hub::applyMicSound()
{
    if (!m_quietMic)
        return;
    updateQuietMicInstalled();
    if (m_micSound == MicSound::WhiteNoise && m_quietMicInstalled)
        QuietMic::activate(*m_quietMic, m_defaults);
    else
        QuietMic::deactivate(*m_quietMic, m_defaults);
}

void Hub::quietMicChanged()
{
    // The server's state arrives after start and changes on its own; the
    // choice is applied again whenever it could now have another outcome.
    const bool becameAvailable = !m_quietMicAvailable && m_quietMic->isAvailable();
    m_quietMicAvailable = m_quietMic->isAvailable();
    const bool installedChanged = updateQuietMicInstalled();
    if (!becameAvailable && !installedChanged)
        return;
    if (m_micOff)
        applyMicSound();
    else if (becameAvailable)
        QuietMic::deactivate(*m_quietMic, m_defaults); // a run that was killed while it was the default
}

void Hub::installQuietMic(QuietMicAnswer answer)
{
    if (!m_quietMic) {
        answer(L("The quiet microphone is missing from this copy of Tarnwick. Download Tarnwick again from "
                 "its web site."));
        return;
    }
    QuietMic::install(*m_quietMic, this, [this, answer](const QuietMic::Result &result) {
        updateQuietMicInstalled();
        if (m_micOff)
            applyMicSound();
        if (!result) {
            answer(std::nullopt);
            return;
        }
        switch (result->kind) {
        case QuietMic::Failure::Kind::Failed:
            answer(result->text.isEmpty() ? QStringLiteral("error") : result->text);
            return;
        case QuietMic::Failure::Kind::Cancelled:
            answer(L("Not installed — no changes were made."));
            return;
        case QuietMic::Failure::Kind::NotInApp:
            answer(L("The quiet microphone is missing from this copy of Tarnwick. Download Tarnwick again "
                     "from its web site."));
            return;
        }
    });
}

std::optional<QString> Hub::removeQuietMic()
{
    if (!m_quietMic)
        return std::nullopt;
    if (m_micOff)
        QuietMic::deactivate(*m_quietMic, m_defaults);
    const QuietMic::Result result = QuietMic::remove(*m_quietMic);
    if (m_quietMicInstalled) {
        m_quietMicInstalled = false;
        Q_EMIT quietMicInstalledChanged(false);
    }
    if (m_micSound == MicSound::WhiteNoise)
        setMicSound(MicSound::Silence);
    if (result && !result->text.isEmpty())
        return result->text;
    return std::nullopt;
}

QStringList Hub::allowList() const
{
    return sorted(m_allowList);
}

void Hub::setAllowed(const QString &appId, bool allowed)
{
    if (allowed == m_allowList.contains(appId))
        return;
    if (allowed)
        m_allowList.insert(appId);
    else
        m_allowList.remove(appId);
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
        quitNewCameraUsers(before, after);
    }
    Q_EMIT sensorChange(before, after);
}

void Hub::quitNewCameraUsers(const SensorState &before, const SensorState &after)
{
    if (!m_cameraOff || !after.cameraOn || !m_autoQuitWhenOff || !m_appTerminator)
        return;
    if (m_sensors && m_sensors->ownCameraUse())
        return;
    // Only apps that have just started: one that stays is asked once.
    for (const SensorUser &user : after.cameraUsers) {
        if (before.cameraUsers.contains(user) || m_allowList.contains(user.appId))
            continue;
        qCInfo(lcPrivacy).noquote().nospace() << "asking " << user.name << " (" << user.pid
                                              << ") to quit: it uses the camera while it is switched off";
        m_appTerminator->terminate(user.pid);
    }
}
