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

// The application's one model: every user setting as an observable property
// backed by the settings store, the state of the privacy switch, and what the
// sensors report. Properties compare before they emit; settings are written on
// every change.
class Hub : public QObject {
    Q_OBJECT
    Q_PROPERTY(SensorState sensorState READ sensorState NOTIFY sensorStateChanged)
    Q_PROPERTY(bool micOff READ micOff NOTIFY micOffChanged)
    Q_PROPERTY(bool cameraOff READ cameraOff NOTIFY cameraOffChanged)
    Q_PROPERTY(MicSound micSound READ micSound WRITE setMicSound NOTIFY micSoundChanged)
    Q_PROPERTY(bool quietMicInstalled READ quietMicInstalled NOTIFY quietMicInstalledChanged)
    Q_PROPERTY(QStringList allowList READ allowList NOTIFY allowListChanged)
    Q_PROPERTY(
        bool autoQuitWhenOff READ autoQuitWhenOff WRITE setAutoQuitWhenOff NOTIFY autoQuitWhenOffChanged)
    Q_PROPERTY(bool haloForCamera READ haloForCamera WRITE setHaloForCamera NOTIFY haloForCameraChanged)
    Q_PROPERTY(bool haloForMic READ haloForMic WRITE setHaloForMic NOTIFY haloForMicChanged)
    Q_PROPERTY(bool announce READ announce WRITE setAnnounce NOTIFY announceChanged)
    Q_PROPERTY(bool openOnHover READ openOnHover WRITE setOpenOnHover NOTIFY openOnHoverChanged)
    Q_PROPERTY(bool showRecommendations READ showRecommendations WRITE setShowRecommendations NOTIFY
                   showRecommendationsChanged)
    Q_PROPERTY(QStringList dismissedRecommendations READ dismissedRecommendations WRITE
                   setDismissedRecommendations NOTIFY dismissedRecommendationsChanged)
    Q_PROPERTY(bool offersWhiteNoise READ offersWhiteNoise CONSTANT)
    Q_PROPERTY(bool simulating READ simulating WRITE setSimulating NOTIFY simulatingChanged)
    Q_PROPERTY(bool showcase READ showcase WRITE setShowcase NOTIFY showcaseChanged)

public:
    enum class MicSound { Silence, WhiteNoise };
    Q_ENUM(MicSound)

    Hub(DefaultsStore &defaults, const AppInfo &info, QObject *parent = nullptr);
    Hub(DefaultsStore &defaults, const AppInfo &info, HubServices services, QObject *parent = nullptr);
    ~Hub() override;

    // Called once after launch: starts the sensor watcher and puts the switch
    // back the way the last run left it.
    void start();

    SensorWatcher *sensors() const { return m_sensors.get(); }
    // The last state the watcher published.
    const SensorState &sensorState() const { return m_sensorState; }
    // Created from the data folder on first use.
    SensorHistory &history();

    // Absent without an input control.
    MicGuard *micGuard() const { return m_micGuard.get(); }

    bool micOff() const { return m_micOff; }
    bool cameraOff() const { return m_cameraOff; }
    // Off takes camera access from every app but the trusted ones, on a worker
    // thread; on restores nothing (apps ask again).
    void setCameraOff(bool off);
    // Off silences every input and keeps it silent; on gives every input back.
    void setMicOff(bool off);
    // The one switch of the menus: both halves off, unless both are off already.
    void toggleEverythingOff();

    MicSound micSound() const { return m_micSound; }
    void setMicSound(MicSound sound);
    static QString micSoundText(MicSound sound);

    bool quietMicInstalled() const { return m_quietMicInstalled; }
    // Answers nothing on success, otherwise a text for the user.
    using QuietMicAnswer = std::function<void(const std::optional<QString> &error)>;
    void installQuietMic(QuietMicAnswer answer);
    std::optional<QString> removeQuietMic();

    QStringList allowList() const; // sorted
    bool isAllowed(const QString &appId) const { return m_allowList.contains(appId); }
    void setAllowed(const QString &appId, bool allowed);

    bool autoQuitWhenOff() const { return m_autoQuitWhenOff; }
    void setAutoQuitWhenOff(bool on);
    bool haloForCamera() const { return m_haloForCamera; }
    void setHaloForCamera(bool on);
    bool haloForMic() const { return m_haloForMic; }
    void setHaloForMic(bool on);
    bool announce() const { return m_announce; }
    void setAnnounce(bool on);
    bool openOnHover() const { return m_openOnHover; }
    void setOpenOnHover(bool on);
    bool showRecommendations() const { return m_showRecommendations; }
    void setShowRecommendations(bool on);
    QStringList dismissedRecommendations() const; // sorted
    void setDismissedRecommendations(const QStringList &ids);

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
    void allowListChanged();
    void autoQuitWhenOffChanged(bool on);
    void haloForCameraChanged(bool on);
    void haloForMicChanged(bool on);
    void announceChanged(bool on);
    void openOnHoverChanged(bool on);
    void showRecommendationsChanged(bool on);
    void dismissedRecommendationsChanged();
    void simulatingChanged(bool on);
    void showcaseChanged(bool on);

    // What the shell listens to.
    // Every state the watcher publishes, after the hub has stored and recorded it.
    void sensorChange(const SensorState &before, const SensorState &after);
    void haloRefresh();
    void note(const QString &text);

private:
    struct CameraReset {
        bool storeAvailable = false;
        int asked = 0;
        int succeeded = 0;
    };

    bool storeBool(bool &field, bool value, const char *key);
    void sensorsChanged(const SensorState &before, const SensorState &after);
    void switchMic(bool off, bool sayWhatFailed);
    void quitNewCameraUsers(const SensorState &before, const SensorState &after);
    void resetCameraPermissions(const QSet<QString> &keep);
    void cameraResetFinished();
    void applyMicSound();
    void quietMicChanged();
    bool updateQuietMicInstalled();

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
    bool m_cameraOff = false;
    MicSound m_micSound = MicSound::Silence;
    bool m_quietMicInstalled = false;
    QSet<QString> m_allowList;
    bool m_autoQuitWhenOff = false;
    bool m_haloForCamera = true;
    bool m_haloForMic = true;
    bool m_announce = true;
    bool m_openOnHover = true;
    bool m_showRecommendations = true;
    QSet<QString> m_dismissedRecommendations;
    QHash<QString, QDateTime> m_lastGuardNote;
    bool m_simulating = false;
    bool m_showcase = false;
    bool m_offersWhiteNoise = false;
    QString m_dataFolder;
    std::unique_ptr<SensorHistory> m_history;
    Clock m_clock = systemClock();
};
