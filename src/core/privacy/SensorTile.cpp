#include "SensorTile.h"

#include "Text.h"

#include <QLocale>

QString SensorTile::status() const
{
    const bool camera = sensor == Sensor::Camera;
    if (!on) {
        if (!switchedOff)
            return L("Not in use");
        return camera ? L("Off — apps must ask again") : L("Off — apps hear silence");
    }
    if (users.isEmpty())
        return camera ? L("On — finding out which app…") : L("On");
    const QString who = names(users);
    if (!switchedOff)
        return camera ? L("%@ is using it", who) : L("%@ is listening", who);
    return camera ? L("%@ still has it — quit it to stop", who) : L("%@ hears only silence", who);
}

std::optional<SensorUser> SensorTile::quitOffer(qint32 ownPid) const
{
    if (users.isEmpty())
        return std::nullopt;
    const SensorUser &first = users.constFirst();
    // A user known only by its app id (pid 0) has no process to ask.
    if (first.pid < 1 || first.pid == ownPid || quitShownAbove.contains(first.pid))
        return std::nullopt;
    return first;
}

QString SensorTile::title() const
{
    return sensor == Sensor::Camera ? L("Camera") : L("Microphone");
}

QString SensorTile::symbol() const
{
    return sensor == Sensor::Camera ? QStringLiteral("video.fill") : QStringLiteral("mic.fill");
}

QString SensorTile::names(const QList<SensorUser> &users)
{
    QStringList names;
    names.reserve(users.size());
    for (const SensorUser &user : users)
        names.append(user.name);
    return QLocale().createSeparatedList(names);
}

QString SensorTile::quitTitle(const SensorUser &user)
{
    return L("Quit %@", user.name);
}

QString SensorTile::quitHelp(const SensorUser &user)
{
    return L("Asks %@ to quit, like Ctrl+Q — a call in it ends; unsaved work asks first.", user.name);
}
