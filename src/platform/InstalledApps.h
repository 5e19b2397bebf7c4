#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// An installed application as its desktop entry describes it. Every value
// is the entry's own claim, as written there.
struct InstalledApp {
    QString appId;      // desktop-file id
    QString name;       // Name, localised
    QString icon;       // an icon-theme name or an absolute path; may be empty
    QString location;   // the desktop entry's file
    QStringList launch; // the program and its arguments, from Exec; empty when it starts nothing
    // The entry's X-Orvane-HubDoor-* values by the rest of the key ("Version", "Title", …).
    QHash<QString, QString> hubDoor;
    friend bool operator==(const InstalledApp &, const InstalledApp &) = default;
};

// The applications installed for this user, by desktop-file id.
class InstalledApps {
public:
    virtual ~InstalledApps() = default;
    // Thread-safe; may read the applications folders, so run it off the main thread.
    virtual std::optional<InstalledApp> find(const QString &appId) const = 0;
    // Starts the application detached; false when it could not be started.
    virtual bool launch(const InstalledApp &app) const = 0;
};
