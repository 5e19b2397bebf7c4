#pragma once

#include "AppInfo.h"
#include "Clock.h"
#include "SensorState.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AppTerminator;
class CameraPermissionStore;
class DefaultsStore;
class InputDeviceControl;
class MicGuard;
class QuietMicDriver;
class SensorHistory;
class Settings;
class SensorWatcher;

// What the hub is given besides its settings.
struct HubServices {
    // The one sensor watcher of the process; the hub owns it and forwards its
    // changes. Without one the hub watches nothing.
    std::unique_ptr<SensorWatcher> sensors;
    // Where "history.json" lives; empty keeps the history in memory only.
    QString dataFolder;
    // The privacy switch's services, owned by the shell and outliving the hub.
    // Without one, that part of the switch only records its state.
    InputDeviceControl *inputDevices = nullptr;
    QuietMicDriver *quietMic = nullptr;
    // Shared with the permission reset, which may outlive the hub on its worker thread.
    std::shared_ptr<CameraPermissionStore> cameraPermissions{};
    AppTerminator *appTerminator = nullptr;
    // The environment the app was started with (TARNWICK_REAL_RESET).
    QProcessEnvironment environment{};
};

// The application's one model: the settings, the state of the privacy
// switch, and what the sensors report. Properties compare before they emit.
class Hub : public QObject {
    Q_OBJECT
    Q_PROPERTY(SensorState sensorState READ sensorState NOTIFY sensorStateChanged)
    Q_PROPERTY(bool micOff READ micOff NOTIFY micOffChanged)
    Q_PROPERTY(bool cameraOff READ cameraOff NOTIFY cameraOffChanged)
    Q_PROPERTY(MicSound micSound READ micSound WRITE setMicSound NOTIFY micSoundChanged)
    Q_PROPERTY(bool quietMicInstalled READ quietMicInstalled NOTIFY quietMicInstalledChanged)
    Q_PROPERTY(bool offersWhiteNoise READ offersWhiteNoise CONSTANT)
    Q_PROPERTY(bool simulating READ simulating WRITE setSimulating NOTIFY simulatingChanged)
    Q_PROPERTY(bool showcase READ showcase WRITE setShowcase NOTIFY showcaseChanged)

public:
    enum class MicSound { Silence, WhiteNoise };
    Q_ENUM(MicSound)

    Hub(Settings &settings, const AppInfo &info, QObject *parent = nullptr);
    Hub(Settings &settings, const AppInfo &info, HubServices services, QObject *parent = nullptr);
    ~Hub() override;

    // Called once after launch: starts the sensor watcher and puts the switch
    // back the way the last run left it.
    void start();

    Settings &settings() const { return m_settings; }

    SensorWatcher *sensors() const { return m_sensors.get(); }
    // The last state the watcher published.
    const SensorState &sensorState() const { return m_sensorState; }
    // Created from the data folder on first use.
    SensorHistory &history();

    // Absent without an input control.
    MicGuard *micGuard() const { return m_micGuard.get(); }

    bool micOff() const { return m_micOff; }
    bool cameraOff() const;
    // Off takes camera access from every app but the trusted ones, on a worker
    // thread; on restores nothing (apps ask again).
    void setCameraOff(bool off);
    // Off silences every input and keeps it silent; on gives every input back.
    void setMicOff(bool off);
    // The one switch of the menus: both halves off, unless both are off already.
    void toggleEverythingOff();

    MicSound micSound() const;
    void setMicSound(MicSound sound);
    static QString micSoundText(MicSound sound);

    bool quietMicInstalled() const { return m_quietMicInstalled; }
    // Answers nothing on success, otherwise a text for the user.
    using QuietMicAnswer = std::function<void(const std::optional<QString> &error)>;
    void installQuietMic(QuietMicAnswer answer);
    std::optional<QString> removeQuietMic();

    bool offersWhiteNoise() const { return m_offersWhiteNoise; }
    bool simulating() const { return m_simulating; }
    void setSimulating(bool on);
    bool showcase() const { return m_showcase; }
    void setShowcase(bool on);

    // The microphone guard had to silence `deviceName` again; tells the user at
    // most once a minute per device.
    void guardReapplied(const QString &deviceName);

    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    void sensorStateChanged(const SensorState &state);
    void micOffChanged(bool off);
    void cameraOffChanged(bool off);
    void micSoundChanged(Hub::MicSound sound);
    void quietMicInstalledChanged(bool installed);
    void simulatingChanged(bool on);
    void showcaseChanged(bool on);

    // What the shell listens to.
    // Every state the watcher publishes, after the hub has stored and recorded it.
    void sensorChange(const SensorState &before, const SensorState &after);
    void note(const QString &text);

private:
    struct CameraReset {
        bool storeAvailable = false;
        int asked = 0;
        int succeeded = 0;
    };

    void sensorsChanged(const SensorState &before, const SensorState &after);
    void switchMic(bool off, bool sayWhatFailed);
    void quitNewCameraUsers(const SensorState &before, const SensorState &after);
    void resetCameraPermissions(const QSet<QString> &keep);
    void cameraResetFinished();
    void applyMicSound();
    void quietMicChanged();
    bool updateQuietMicInstalled();

    Settings &m_settings;
    DefaultsStore &m_defaults;
    std::unique_ptr<SensorWatcher> m_sensors;
    InputDeviceControl *m_inputs = nullptr;
    std::unique_ptr<MicGuard> m_micGuard;
    QuietMicDriver *m_quietMic = nullptr;
    bool m_quietMicAvailable = false;
    std::shared_ptr<CameraPermissionStore> m_cameraPermissions;
    QFutureWatcher<CameraReset> m_cameraReset;
    AppTerminator *m_appTerminator = nullptr;
    QString m_appId;
    bool m_developmentBuild = false;
    bool m_realReset = false;
    SensorState m_sensorState;
    bool m_micOff = false;
    bool m_quietMicInstalled = false;
    QHash<QString, QDateTime> m_lastGuardNote;
    bool m_simulating = false;
    bool m_showcase = false;
    bool m_offersWhiteNoise = false;
    QString m_dataFolder;
    std::unique_ptr<SensorHistory> m_history;
    Clock m_clock = systemClock();
};
