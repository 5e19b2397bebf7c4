#pragma once

#include "UpdateCheck.h"

#include <QObject>

#include <functional>

// The update check as the user meets it: news of a newer version from the
// daily check as a note, and "Check for Updates…" answered in a small window
// that links to the new version's page. A build without a feed says that
// updates come from the system's package manager.
class UpdatePrompt : public QObject {
    Q_OBJECT
public:
    using Note = std::function<void(const QString &text)>;

    UpdatePrompt(const AppInfo &info, DefaultsStore &defaults, Note note, QObject *parent = nullptr);

    // Daily checks, when the build has a feed.
    void start();
    // The menu item.
    void checkForUpdates();
    // The build has a feed to check: Tarnwick's only connection of its own.
    bool checksForUpdates() const { return m_check.hasFeed(); }

private:
    void finished(const UpdateCheck::Result &result);

    UpdateCheck m_check;
    Note m_note;
    QString m_version;
    bool m_asked = false;
};
