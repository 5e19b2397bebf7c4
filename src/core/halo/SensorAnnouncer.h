#pragma once

#include "Banner.h"
#include "Clock.h"
#include "Sensor.h"
#include "SensorState.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class PrivacySwitch;
class SensorModel;
class Settings;

// Decides which banners a sensor change earns: an app is announced once per
// sensor every ten minutes, a camera without a name yet waits briefly for
// attribution before a generic banner, and nothing is announced while the hub
// is open. The halo shows what it is asked to; this class never draws.
class SensorAnnouncer : public QObject {
    Q_OBJECT
public:
    struct Shell {
        std::function<bool()> panelVisible;
        std::function<bool()> bannerShowing;
        // An icon name or image path for a user's app; empty when unknown.
        std::function<QString(const SensorUser &)> iconFor;
    };

    SensorAnnouncer(const SensorModel &sensors, Settings &settings, const PrivacySwitch &privacy, Shell shell,
                    QObject *parent = nullptr);

    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setPendingCameraDelay(std::chrono::milliseconds delay) { m_pending.setInterval(delay); }

    // Called after every change of the sensor state (the halo is
    // refreshed separately, always).
    void sensorsChanged(const SensorState &before, const SensorState &after);

    Banner cameraBanner(const QList<SensorUser> &users);
    Banner micBanner(const SensorUser &user) const;
    // Records the time and answers whether `user` may be announced for `sensor` now.
    bool shouldAnnounce(Sensor sensor, const SensorUser &user);
    bool hasPendingCameraBanner() const { return m_pending.isActive(); }

    static constexpr int announceAgainSeconds = 600;

Q_SIGNALS:
    void announce(const Banner &banner);
    // A banner is showing: change its content, keep its timer.
    void replaceBanner(const Banner &banner);
    void endBanner();
    // A banner's "Quit" button: ask the app politely to quit.
    void quitRequested(qint32 pid);

private:
    void announceCamera(const QList<SensorUser> &users);
    void pendingCameraBannerFired();
    QString exampleSubtitle() const;

    const SensorModel &m_sensors;
    Settings &m_settings;
    const PrivacySwitch &m_privacy;
    Shell m_shell;
    Clock m_clock = systemClock();
    QTimer m_pending;
    QHash<QString, QDateTime> m_announced;
};
