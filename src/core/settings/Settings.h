#pragma once

#include "Setting.h"

// Every user setting, declared once: its key in the settings file, its type
// and its default (and its choices, where it has a few). Adding a setting is
// adding a line here.
class Settings {
public:
    explicit Settings(DefaultsStore &store)
        : m_store(store)
    {}

    DefaultsStore &store() const { return m_store; }

private:
    DefaultsStore &m_store;

public:
    // The privacy switch as the last run left it.
    Setting<bool> cameraOff{m_store, "CameraOff", false};
    Setting<bool> micOff{m_store, "MicOff", false};
    Setting<QString> micSound{m_store,
                              "MicSound",
                              QStringLiteral("silence"),
                              {QStringLiteral("silence"), QStringLiteral("whiteNoise")}};
    // Apps whose camera access the switch leaves alone (app ids).
    Setting<QStringList> allowList{m_store, "AllowList", {}};
    Setting<bool> autoQuitWhenOff{m_store, "AutoQuitWhenOff", false};
    Setting<bool> haloForCamera{m_store, "HaloCamera", true};
    Setting<bool> haloForMic{m_store, "HaloMic", true};
    Setting<bool> announce{m_store, "Announce", true};
    Setting<bool> openOnHover{m_store, "OpenOnHover", true};
    Setting<bool> showRecommendations{m_store, "ShowRecommendations", true};
    Setting<QStringList> dismissedRecommendations{m_store, "DismissedRecommendations", {}};
    // The quit section: the preset chosen last and the apps the user keeps (AppEntry keys).
    Setting<QString> quitPreset{
        m_store,
        "QuitPreset",
        QStringLiteral("everything"),
        {QStringLiteral("everything"), QStringLiteral("work"), QStringLiteral("call")}};
    Setting<QStringList> quitKeep{m_store, "QuitKeep", {}};
    // Autostart is registered once; after that it is the user's to change.
    Setting<bool> autostartDecided{m_store, "LoginItemDecided", false};
    // The welcome tutorial was finished or skipped once.
    Setting<bool> tutorialSeen{m_store, "TutorialSeen", false};
};
