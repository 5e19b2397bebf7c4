#pragma once

#include "AppInfo.h"
#include "Clock.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QProcessEnvironment>

#include <functional>
#include <memory>
#include <optional>

class CameraPermissionStore;
class CameraReset;
class InputDeviceControl;
class MicGuard;
class QuietMicDriver;
class Settings;

// What the switch works with; owned by the shell and outliving the switch.
// Without one, that half of the switch only records its state.
struct PrivacyServices {
    InputDeviceControl *inputDevices = nullptr;
    QuietMicDriver *quietMic = nullptr;
    // Shared with the camera reset, which may outlive the switch on its worker thread.
    std::shared_ptr<CameraPermissionStore> cameraPermissions{};
    // The environment the app was started with (TARNWICK_REAL_RESET).
    QProcessEnvironment environment{};
};

// The privacy switch: camera access taken away, every microphone silenced at
// the source (or replaced by the quiet microphone's soft noise), and
// everything given back. Its state is kept in the settings across runs; what
// goes wrong becomes a note for the user.
class PrivacySwitch : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool micOff READ micOff NOTIFY micOffChanged)
    Q_PROPERTY(bool cameraOff READ cameraOff NOTIFY cameraOffChanged)
    Q_PROPERTY(MicSound micSound READ micSound WRITE setMicSound NOTIFY micSoundChanged)
    Q_PROPERTY(bool quietMicInstalled READ quietMicInstalled NOTIFY quietMicInstalledChanged)
    Q_PROPERTY(bool offersWhiteNoise READ offersWhiteNoise CONSTANT)

public:
    enum class MicSound { Silence, WhiteNoise };
    Q_ENUM(MicSound)

    PrivacySwitch(Settings &settings, const AppInfo &info, PrivacyServices services = {},
                  QObject *parent = nullptr);
    ~PrivacySwitch() override;

    // Called once after launch: puts the switch back the way the last run left it.
    void start();
    // Before the process ends: gives every input back and waits, at most a
    // second, for the audio server to confirm. The stored state stays, so
    // the next start switches off again.
    void giveBack();

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
    bool offersWhiteNoise() const { return m_offersWhiteNoise; }

    bool quietMicInstalled() const { return m_quietMicInstalled; }
    // Answers nothing on success, otherwise a text for the user.
    using QuietMicAnswer = std::function<void(const std::optional<QString> &error)>;
    void installQuietMic(QuietMicAnswer answer);
    std::optional<QString> removeQuietMic();

    // Absent without an input control.
    MicGuard *micGuard() const { return m_micGuard.get(); }

    // The microphone guard had to silence `deviceName` again; tells the user at
    // most once a minute per device.
    void guardReapplied(const QString &deviceName);

    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    void micOffChanged(bool off);
    void cameraOffChanged(bool off);
    void micSoundChanged(PrivacySwitch::MicSound sound);
    void quietMicInstalledChanged(bool installed);
    void note(const QString &text);

private:
    void switchMic(bool off, bool sayWhatFailed);
    void applyMicSound();
    void quietMicChanged();
    bool updateQuietMicInstalled();

    Settings &m_settings;
    InputDeviceControl *m_inputs = nullptr;
    std::unique_ptr<MicGuard> m_micGuard;
    QuietMicDriver *m_quietMic = nullptr;
    bool m_quietMicAvailable = false;
    std::unique_ptr<CameraReset> m_cameraReset;
    QString m_appId;
    bool m_developmentBuild = false;
    bool m_realReset = false;
    bool m_offersWhiteNoise = false;
    bool m_micOff = false;
    bool m_quietMicInstalled = false;
    QHash<QString, QDateTime> m_lastGuardNote;
    Clock m_clock = systemClock();
};
