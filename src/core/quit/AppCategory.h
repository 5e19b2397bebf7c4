#pragma once

#include <QString>
#include <QStringList>

// The kinds of application the planner tells apart, from a desktop entry's
// Categories.
namespace AppCategory {
inline const QString games = QStringLiteral("games");
inline const QString video = QStringLiteral("video");
inline const QString music = QStringLiteral("music");
inline const QString social = QStringLiteral("social-networking");
inline const QString news = QStringLiteral("news");
inline const QString sports = QStringLiteral("sports");

// The first that fits, in the order above; empty when none does. A player
// is video or music by what it plays; an editor of either is neither.
QString fromDesktop(const QStringList &categories);
} // namespace AppCategory
