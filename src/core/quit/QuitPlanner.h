#pragma once

#include "AppEntry.h"
#include "QuitPreset.h"

#include <QSet>

// What a preset would close and what it leaves open, in the list's order.
struct QuitPlan {
    QList<AppEntry> toQuit;
    QList<AppEntry> kept;
    quint64 bytes() const; // the memory closing `toQuit` frees
    friend bool operator==(const QuitPlan &, const QuitPlan &) = default;
};

namespace QuitPlanner {
// Games, media, social apps and messengers, by id, web-app name or category.
bool isDistraction(const AppEntry &app);
// Call and meeting apps, and every web app a browser installed.
bool isCallApp(const AppEntry &app);
// A web app installed from Chrome or Edge: "chrome-<app>-<profile>".
bool isWebApp(const QString &appId);
// `keep` holds AppEntry::key values the user unticked; `inUse` the pids now
// using a camera or microphone, which the call preset keeps.
QuitPlan plan(const QList<AppEntry> &apps, QuitPreset preset, const QSet<QString> &keep,
              const QSet<qint32> &inUse);
} // namespace QuitPlanner
