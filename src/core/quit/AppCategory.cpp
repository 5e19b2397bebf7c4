#include "AppCategory.h"

namespace AppCategory {

QString fromDesktop(const QStringList &categories)
{
    const auto has = [&categories](const char *name) { return categories.contains(QLatin1String(name)); };
    const bool anyGame = std::any_of(categories.begin(), categories.end(),
                                     [](const QString &c) { return c.endsWith(QLatin1String("Game")); });
    if (anyGame)
        return games;
    const bool player = has("Player") || has("TV");
    if (player && (has("Video") || has("TV")))
        return video;
    if (player && (has("Audio") || has("Music")))
        return music;
    if (has("Chat") || has("InstantMessaging"))
        return social;
    if (has("News"))
        return news;
    if (has("Sports"))
        return sports;
    return {};
}

} // namespace AppCategory
