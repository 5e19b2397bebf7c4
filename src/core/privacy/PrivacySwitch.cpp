#include "PrivacySwitch.h"

#include "CameraReset.h"
#include "InputDeviceControl.h"
#include "Log.h"
#include "MicGuard.h"
#include "Prefs.h"
#include "QuietMic.h"
#include "Settings.h"
#include "Text.h"

PrivacySwitch::PrivacySwitch(Settings &settings, const AppInfo &info, PrivacyServices services,
                             QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_inputs(services.inputDevices)
    , m_quietMic(services.quietMic)
    , m_appId(info.appId)
    , m_developmentBuild(info.isDevelopmentBuild())
    , m_realReset(services.environment.value(QStringLiteral("TARNWICK_REAL_RESET")) == QLatin1String("1"))
    , m_offersWhiteNoise(info.offersWhiteNoise())
{
    // The camera half survives restarts as stored (the permission reset is not repeated).
    connect(&settings.cameraOff, &SettingBase::changed, this,
            [this] { Q_EMIT cameraOffChanged(cameraOff()); });
    connect(&settings.micSound, &SettingBase::changed, this, [this] {
        Q_EMIT micSoundChanged(micSound());
        if (m_micOff)
            applyMicSound();
    });
    if (!m_offersWhiteNoise)
        setMicSound(MicSound::Silence);

    if (services.cameraPermissions) {
        m_cameraReset = std::make_unique<CameraReset>(std::move(services.cameraPermissions));
        connect(m_cameraReset.get(), &CameraReset::storeMissing, this, [this] {
            Q_EMIT note(Text::tr(
                "Camera access could not be taken away: the system’s permission store is not running."));
        });
    }
    if (m_inputs) {
        m_micGuard = std::make_unique<MicGuard>(settings.store(), *m_inputs);
        connect(m_micGuard.get(), &MicGuard::reapplied, this, &PrivacySwitch::guardReapplied);
        connect(m_micGuard.get(), &MicGuard::silenceRefused, this, [this](const QString &name) {
            Q_EMIT note(Text::tr("%1 could not be silenced: the audio server refused.").arg(name));
        });
        connect(m_micGuard.get(), &MicGuard::restoreRefused, this, [this](const QString &name) {
            Q_EMIT note(
                Text::tr("%1 could not be given its level back: the audio server refused. Tarnwick keeps the "
                         "saved level and tries again when the microphone changes.")
                    .arg(name));
        });
    }
    if (m_quietMic)
        connect(m_quietMic, &QuietMicDriver::changed, this, &PrivacySwitch::quietMicChanged);
}

PrivacySwitch::~PrivacySwitch()
{
    m_settings.store().setSaveFailureHandler({});
}

void PrivacySwitch::start()
{
    // The switch keeps the saved microphone levels in the settings, so it is
    // the one to tell the user when they cannot be saved. From here on the
    // shell hears notes; a save that failed before is told now.
    m_settings.store().setSaveFailureHandler([this](const QString &problem) {
        Q_EMIT note(
            Text::tr(
                "Tarnwick cannot save its settings (%1). Your changes are kept until it quits; the saved "
                "file is left as it was.")
                .arg(problem));
    });
    if (m_quietMic)
        m_quietMic->start();
    // The audio server is only being connected to: its absence is no news yet.
    if (m_settings.micOff.value())
        switchMic(true, false);
    else if (m_micGuard)
        m_micGuard->restoreLeftovers();
}

void PrivacySwitch::giveBack()
{
    if (!m_micOff)
        return;
    if (m_quietMic)
        QuietMic::deactivate(*m_quietMic, m_settings.store());
    if (!m_micGuard)
        return;
    m_micGuard->turnOff();
    // The server takes the levels asynchronously; what it has not confirmed
    // in time stays recorded for the next start.
    if (!m_inputs->settle(1000))
        qCWarning(lcPrivacy).noquote().nospace()
            << "the audio server did not confirm every microphone level within a second; the rest are given "
               "back at the next start";
}

bool PrivacySwitch::cameraOff() const
{
    return m_settings.cameraOff.value();
}

void PrivacySwitch::setCameraOff(bool off)
{
    m_settings.cameraOff.set(off);
    // Switching back on restores nothing: apps ask again when they next use the camera.
    if (!off || !m_cameraReset)
        return;
    // A development build leaves other apps' permissions alone unless told otherwise.
    if (m_developmentBuild && !m_realReset)
        return;
    const QStringList allowed = m_settings.allowList.value();
    QSet<QString> keep(allowed.begin(), allowed.end());
    keep.insert(m_appId);
    keep.insert(QLatin1String(Prefs::fallbackAppId));
    m_cameraReset->takeAccessFromAllBut(keep);
}

void PrivacySwitch::setMicOff(bool off)
{
    switchMic(off, true);
}

void PrivacySwitch::switchMic(bool off, bool sayWhatFailed)
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
            Q_EMIT note(
                Text::tr("No audio server is running, so the microphones could not be silenced. Tarnwick "
                         "silences them as soon as it starts."));
        return;
    }
    if (m_quietMic)
        QuietMic::deactivate(*m_quietMic, m_settings.store());
    m_micGuard->turnOff();
    if (serverMissing && !MicGuardRecords::read(m_settings.store()).isEmpty())
        Q_EMIT note(
            Text::tr("No audio server is running, so the microphones could not be given their levels back. "
                     "Tarnwick does it as soon as it starts."));
}

void PrivacySwitch::toggleEverythingOff()
{
    const bool off = !(cameraOff() && m_micOff);
    setCameraOff(off);
    setMicOff(off);
}

QString PrivacySwitch::micSoundText(MicSound sound)
{
    return sound == MicSound::WhiteNoise ? QStringLiteral("whiteNoise") : QStringLiteral("silence");
}

PrivacySwitch::MicSound PrivacySwitch::micSound() const
{
    return m_settings.micSound.value() == micSoundText(MicSound::WhiteNoise) ? MicSound::WhiteNoise
                                                                             : MicSound::Silence;
}

void PrivacySwitch::setMicSound(MicSound sound)
{
    m_settings.micSound.set(micSoundText(sound));
}

bool PrivacySwitch::updateQuietMicInstalled()
{
    const bool installed = m_quietMic && QuietMic::isInstalled(*m_quietMic);
    if (installed == m_quietMicInstalled)
        return false;
    m_quietMicInstalled = installed;
    Q_EMIT quietMicInstalledChanged(installed);
    return true;
}

void PrivacySwitch::applyMicSound()
{
    if (!m_quietMic)
        return;
    updateQuietMicInstalled();
    if (micSound() == MicSound::WhiteNoise && m_quietMicInstalled)
        QuietMic::activate(*m_quietMic, m_settings.store());
    else
        QuietMic::deactivate(*m_quietMic, m_settings.store());
}

void PrivacySwitch::quietMicChanged()
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
        QuietMic::deactivate(*m_quietMic,
                             m_settings.store()); // a run that was killed while it was the default
}

void PrivacySwitch::installQuietMic(QuietMicAnswer answer)
{
    const QString missing =
        Text::tr("The quiet microphone is missing from this copy of Tarnwick. Download Tarnwick "
                 "again from its web site.");
    if (!m_quietMic) {
        answer(missing);
        return;
    }
    QuietMic::install(*m_quietMic, this, [this, answer, missing](const QuietMic::Result &result) {
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
            answer(Text::tr("Not installed — no changes were made."));
            return;
        case QuietMic::Failure::Kind::NotInApp:
            answer(missing);
            return;
        }
    });
}

std::optional<QString> PrivacySwitch::removeQuietMic()
{
    if (!m_quietMic)
        return std::nullopt;
    if (m_micOff)
        QuietMic::deactivate(*m_quietMic, m_settings.store());
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

void PrivacySwitch::guardReapplied(const QString &deviceName)
{
    const QDateTime now = m_clock();
    const auto last = m_lastGuardNote.constFind(deviceName);
    if (last != m_lastGuardNote.constEnd() && last->msecsTo(now) <= 60 * 1000)
        return;
    m_lastGuardNote.insert(deviceName, now);
    Q_EMIT note(Text::tr("%1 was turned up — Tarnwick silenced it again.").arg(deviceName));
}
