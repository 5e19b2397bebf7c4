#pragma once

#include "CameraPermissionStore.h"
#include "Setting.h"

#include <QWidget>

#include <functional>
#include <memory>

class Autostart;
class FileManager;
class PrivacySwitch;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;
class Settings;
class ShelfStore;

// The settings window's content: a form over the settings, each control
// bound to its setting, so a change is stored the moment it is made and a
// change made elsewhere shows at once. No Apply, no Cancel.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    struct Services {
        Settings &settings;
        PrivacySwitch &privacy;
        Autostart &autostart;
        // Read on a worker when the view appears; none lists no apps.
        std::shared_ptr<CameraPermissionStore> cameraPermissions;
        std::function<ShelfStore &()> shelf;
        FileManager &fileManager;
        // The screen has a housing for the pointer to rest on.
        bool hasCutout = true;
        std::function<void()> showTutorial;
        std::function<void()> showHistory;
        // The build checks a feed for updates; otherwise Tarnwick connects nowhere.
        bool checksForUpdates = false;
    };

    explicit SettingsView(Services services, QWidget *parent = nullptr);

    QCheckBox *loginToggle() const { return m_login; }
    QCheckBox *hoverToggle() const { return m_hover; }
    QComboBox *micSoundPicker() const { return m_micSound; }
    QPushButton *installButton() const { return m_install; }
    QPushButton *removeButton() const { return m_remove; }
    QLabel *message() const { return m_message; }
    // One per app that can ask for the camera, named by the app id.
    QList<QCheckBox *> trustedToggles() const;

Q_SIGNALS:
    // The apps that can ask for the camera are listed.
    void cameraAppsShown();

private:
    QWidget *generalSection();
    QWidget *microphoneSection();
    QWidget *haloSection();
    QWidget *trustedSection();
    QWidget *cameraOffSection();
    QWidget *shelfSection();
    QWidget *appsSection();
    QWidget *historySection();
    QWidget *privacySection();
    QCheckBox *bound(const QString &text, Setting<bool> &setting);
    void loadCameraApps();
    void showCameraApps(const QList<CameraApp> &apps);
    void refreshMicrophone();
    void installQuietMic();
    void installFinished(const QString &message);

    Services m_services;
    QCheckBox *m_login = nullptr;
    QCheckBox *m_hover = nullptr;
    QComboBox *m_micSound = nullptr;
    QLabel *m_needsQuietMic = nullptr;
    QPushButton *m_install = nullptr;
    QPushButton *m_remove = nullptr;
    QLabel *m_message = nullptr;
    QVBoxLayout *m_cameraApps = nullptr;
    bool m_installing = false;
};
