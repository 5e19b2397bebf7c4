#include "SensorAnnouncer.h"

#include "PrivacySwitch.h"
#include "SensorModel.h"
#include "Settings.h"
#include "Text.h"

using namespace std::chrono_literals;

SensorAnnouncer::SensorAnnouncer(const SensorModel &sensors, Settings &settings, const PrivacySwitch &privacy,
                                 Shell shell, QObject *parent)
    : QObject(parent)
    , m_sensors(sensors)
    , m_settings(settings)
    , m_privacy(privacy)
    , m_shell(std::move(shell))
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(800ms);
    connect(&m_pending, &QTimer::timeout, this, &SensorAnnouncer::pendingCameraBannerFired);
}

void SensorAnnouncer::sensorsChanged(const SensorState &before, const SensorState &after)
{
    // While the hub is open it shows the same news; a pending banner stays armed.
    if (!m_settings.announce.value() || m_shell.panelVisible())
        return;

    const bool ownUse = m_sensors.ownCameraUse();
    if (!after.cameraOn) {
        m_pending.stop();
    } else if (!before.cameraOn && !ownUse && m_settings.haloForCamera.value()) {
        m_pending.stop();
        if (after.cameraUsers.isEmpty())
            m_pending.start();
        else
            announceCamera(after.cameraUsers);
    } else if (before.cameraUsers.isEmpty() && !after.cameraUsers.isEmpty() && !ownUse &&
               m_settings.haloForCamera.value()) {
        m_pending.stop();
        announceCamera(after.cameraUsers);
    }

    if (!m_settings.haloForMic.value())
        return;
    std::optional<SensorUser> first;
    for (const SensorUser &user : after.micUsers) {
        // Every newcomer that passes is marked as announced, even after the first.
        if (!before.micUsers.contains(user) && shouldAnnounce(Sensor::Microphone, user) && !first)
            first = user;
    }
    if (first)
        Q_EMIT announce(micBanner(*first));
}

void SensorAnnouncer::announceCamera(const QList<SensorUser> &users)
{
    const Banner banner = cameraBanner(users);
    if (m_shell.bannerShowing())
        Q_EMIT replaceBanner(banner);
    else
        Q_EMIT announce(banner);
    // The camera banner is never suppressed; the times are only recorded.
    for (const SensorUser &user : users)
        shouldAnnounce(Sensor::Camera, user);
}

void SensorAnnouncer::pendingCameraBannerFired()
{
    const SensorState &state = m_sensors.state();
    if (state.cameraOn && state.cameraUsers.isEmpty())
        Q_EMIT announce(cameraBanner({}));
}

bool SensorAnnouncer::shouldAnnounce(Sensor sensor, const SensorUser &user)
{
    const QString key =
        sensorText(sensor) + QLatin1Char(':') + (user.appId.isEmpty() ? user.name : user.appId);
    const QDateTime now = m_clock();
    const auto last = m_announced.constFind(key);
    if (last != m_announced.constEnd() && last->secsTo(now) < announceAgainSeconds)
        return false;
    m_announced.insert(key, now);
    return true;
}

QString SensorAnnouncer::exampleSubtitle() const
{
    return m_sensors.simulating() && !m_sensors.showcase() ? Text::tr("Example — nothing is really on")
                                                           : QString();
}

Banner SensorAnnouncer::cameraBanner(const QList<SensorUser> &users)
{
    const SensorUser *first = users.isEmpty() ? nullptr : &users.first();
    const bool blocked =
        m_privacy.cameraOff() && (!first || !m_settings.allowList.value().contains(first->appId));

    Banner banner;
    banner.color = blocked ? HaloColor::blocked : HaloColor::camera;
    banner.symbol = QStringLiteral("video.fill");
    banner.seconds = 4;
    if (!first) {
        banner.title = Text::tr("The camera is on");
        banner.subtitle = Text::tr("Click to see which app");
        return banner;
    }
    banner.icon = m_shell.iconFor(*first);
    banner.title = Text::tr("%1 is using the camera").arg(first->name);
    const QString example = exampleSubtitle();
    banner.subtitle = !example.isEmpty() ? example
                      : blocked          ? Text::tr("Even though you switched it off — quit it to stop it")
                                         : Text::tr("Click to see or turn it off");
    if (!blocked)
        return banner;
    const SensorUser user = *first;
    banner.actions.append({Text::tr("Quit %1").arg(user.name), [this, user] {
                               Q_EMIT quitRequested(user.pid);
                               Q_EMIT endBanner();
                           }});
    if (!user.appId.isEmpty()) {
        banner.actions.append({Text::tr("Allow"), [this, user] {
                                   m_settings.allowList.set(m_settings.allowList.value() +
                                                            QStringList{user.appId});
                                   Q_EMIT endBanner();
                               }});
    }
    return banner;
}

Banner SensorAnnouncer::micBanner(const SensorUser &user) const
{
    Banner banner;
    banner.icon = m_shell.iconFor(user);
    banner.symbol = QStringLiteral("mic.fill");
    banner.color = HaloColor::mic;
    banner.title = Text::tr("%1 is using the microphone").arg(user.name);
    const QString example = exampleSubtitle();
    if (!example.isEmpty())
        banner.subtitle = example;
    else if (m_privacy.micOff())
        banner.subtitle = Text::tr("It hears silence — the microphone is off");
    banner.seconds = 4;
    return banner;
}
