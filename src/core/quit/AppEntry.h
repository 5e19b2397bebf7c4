#pragma once

#include "AppProcesses.h"

#include <QList>
#include <QString>

#include <memory>

// A running application the user could quit, as the quit list shows it.
struct AppEntry {
    qint32 pid = 0;
    QString name;
    QString appId;                  // desktop-file id or sandbox app id; empty when none
    QString icon;                   // the desktop entry's Icon; may be empty
    quint64 memory = 0;             // bytes; 0 when not measured
    QString category;               // one of the categories the planner knows; empty when none
    std::shared_ptr<PinnedApp> pin; // none for example apps

    // What every remembered set of apps is keyed by.
    QString key() const { return appId.isEmpty() ? name : appId; }
    static AppEntry from(const ListedApp &app);
    friend bool operator==(const AppEntry &, const AppEntry &) = default;
};

// Larger memory first; equal memory by name in the user's order.
void sortByMemory(QList<AppEntry> &apps);
