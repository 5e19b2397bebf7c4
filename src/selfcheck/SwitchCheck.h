#pragma once

#include "CameraPermissionStore.h"
#include "InputDeviceControl.h"

#include <QObject>

#include <functional>
#include <memory>

class PrivacySwitch;
class Report;

// The privacy switch against the real audio server and permission store:
// every input silenced, silenced again when turned up (with the note), given
// back exactly; the apps that can ask for the camera; and the camera reset of
// this app's own development id, the one entry it may always touch.
class SwitchCheck : public QObject {
    Q_OBJECT
public:
    SwitchCheck(Report &report, PrivacySwitch &privacy, InputDeviceControl &inputs,
                std::shared_ptr<CameraPermissionStore> permissions, QObject *parent = nullptr);

    void run();

    // How long each statement may take to come true.
    static constexpr int waitMs = 5000;
    static constexpr char ownId[] = "dev.orvane.Tarnwick.dev";

    // "Desk 60 %, Line In 76 % 46 % muted"
    static QString levels(const QList<InputDevice> &devices);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void waitFor(std::function<bool()> condition, std::function<void(bool)> next);
    void foundInputs(bool found);
    void silenced(bool silent);
    void turnOneUp();
    void givenBack(bool asBefore);
    void listCameraApps();
    void resetOwnEntry();
    void finish();
    bool allSilent() const;

    Report &m_report;
    PrivacySwitch &m_privacy;
    InputDeviceControl &m_inputs;
    std::shared_ptr<CameraPermissionStore> m_permissions;
    QList<InputDevice> m_before;
    InputDevice m_turnedUp;
    QString m_note;
};
