#pragma once

#include "CameraAccess.h"
#include "DelayedTask.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

// The mirror section's model: whether the live picture can be shown, what
// to say and offer when it cannot, and Tarnwick's own use of the camera
// while the picture runs (so its own halo stays dark).
class Mirror : public QObject {
    Q_OBJECT
public:
    // How long a camera takes to switch off after the picture stops.
    static constexpr std::chrono::milliseconds releaseDelay{1500};

    // Checking: nothing known yet; the section stays dark.
    enum class Status { Checking, Preview, NotAsked, NoRights, Refused, NoCamera, Busy };
    enum class Action { Ask, CopyCommand, TryAgain };
    // What is shown instead of the picture.
    struct Card {
        QString symbol;
        QString title;
        QString text;
        QString button;
        Action action = Action::TryAgain;
    };

    Mirror(CameraAccess &access, std::function<void(bool)> setOwnCameraUse,
           std::unique_ptr<DelayedTask> release, QObject *parent = nullptr);
    ~Mirror() override;

    Status status() const { return m_status; }
    // Checks the access again: when the section is shown and after an
    // answer. The status follows when the check is done.
    void refresh();
    Card card() const;
    // The overlay on the picture.
    static QString previewNote();
    // What gives this user the camera, for NoRights.
    QString accessCommand() const;
    // Asks wherever somebody can be asked; the status follows the answer.
    void ask();

    // The picture's life: Tarnwick's own use starts with it and ends a
    // moment after it stops, when the camera has switched off.
    void previewStarted();
    void previewStopped();
    // The camera would not start because another program holds it.
    void cameraBusy();

Q_SIGNALS:
    void statusChanged(Mirror::Status status);

private:
    void follow(const CameraAccess::Status &access);
    void setStatus(Status status);

    CameraAccess &m_access;
    std::function<void(bool)> m_setOwnCameraUse;
    std::unique_ptr<DelayedTask> m_release;
    CameraAccess::Status m_accessStatus;
    Status m_status = Status::Checking;
    bool m_running = false;
};
