#include "Hub.h"

#include "AccessRevoker.h"
#include "AppTerminator.h"
#include "DefaultsStore.h"
#include "Detached.h"
#include "InputDeviceControl.h"
#include "Log.h"
#include "MicGuard.h"
#include "Prefs.h"
#include "QuietMic.h"
#include "SensorHistory.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "Text.h"

Hub::Hub(Settings &settings, const AppInfo &info, QObject *parent)
    : Hub(settings, info, HubServices{}, parent)
{}

Hub::Hub(Settings &settings, const AppInfo &info, HubServices services, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_defaults(settings.store())
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
    m_offersWhiteNoise = info.offersWhiteNoise();
    // The switch state survives restarts (the permission reset is not repeated).
    connect(&settings.cameraOff, &SettingBase::changed, this,
            [this] { Q_EMIT cameraOffChanged(cameraOff()); });
    connect(&settings.micSound, &SettingBase::changed, this, [this] {
        Q_EMIT micSoundChanged(micSound());
        if (m_micOff)
            applyMicSound();
    });
    if (!m_offersWhiteNoise && micSound() == MicSound::WhiteNoise)
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
    if (m_settings.micOff.value())
        switchMic(true, false);
    else if (m_micGuard)
        m_micGuard->restoreLeftovers();
}

bool Hub::cameraOff() const
{
    return m_settings.cameraOff.value();
}

void Hub::setCameraOff(bool off)
{
    m_settings.cameraOff.set(off);
    // Switching back on restores nothing: apps ask again when they next use the camera.
    if (!off)
        return;
    const QStringList allowed = m_settings.allowList.value();
    QSet<QString> keep(allowed.begin(), allowed.end());
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
    m_settings.micOff.set(off);
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
    const bool off = !(cameraOff() && m_micOff);
    setCameraOff(off);
    setMicOff(off);
}

QString Hub::micSoundText(MicSound sound)
{
    return sound == MicSound::WhiteNoise ? QStringLiteral("whiteNoise") : QStringLiteral("silence");
}

Hub::MicSound Hub::micSound() const
{
    return m_settings.micSound.value() == micSoundText(MicSound::WhiteNoise) ? MicSound::WhiteNoise
                                                                             : MicSound::Silence;
}

void Hub::setMicSound(MicSound sound)
{
    m_settings.micSound.set(micSoundText(sound));
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
    if (micSound() == MicSound::WhiteNoise && m_quietMicInstalled)
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
    setMicSound(MicSound::Silence);
    if (result && !result->text.isEmpty())
        return result->text;
    return std::nullopt;
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
    if (!cameraOff() || !after.cameraOn || !m_settings.autoQuitWhenOff.value() || !m_appTerminator)
        return;
    if (m_sensors && m_sensors->ownCameraUse())
        return;
    // Only apps that have just started: one that stays is asked once.
    for (const SensorUser &user : after.cameraUsers) {
        if (before.cameraUsers.contains(user) || m_settings.allowList.value().contains(user.appId))
            continue;
        qCInfo(lcPrivacy).noquote().nospace() << "asking " << user.name << " (" << user.pid
                                              << ") to quit: it uses the camera while it is switched off";
        m_appTerminator->terminate(user.pid);
    }
}
