#include "SensorTile.h"

#include "Text.h"

#include <QLocale>

QString SensorTile::status() const
{
    const bool camera = sensor == Sensor::Camera;
    if (!on) {
        if (!switchedOff)
            return Text::tr("Not in use");
        return camera ? Text::tr("Off — apps must ask again") : Text::tr("Off — apps hear silence");
    }
    if (users.isEmpty())
        return camera ? Text::tr("On — finding out which app…") : Text::tr("On");
    const QString who = names(users);
    if (!switchedOff)
        return camera ? Text::tr("%1 is using it").arg(who) : Text::tr("%1 is listening").arg(who);
    return camera ? Text::tr("%1 still has it — quit it to stop").arg(who)
                  : Text::tr("%1 hears only silence").arg(who);
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
    return sensor == Sensor::Camera ? Text::tr("Camera") : Text::tr("Microphone");
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
    return Text::tr("Quit %1").arg(user.name);
}

QString SensorTile::quitHelp(const SensorUser &user)
{
    return Text::tr("Asks %1 to quit, like Ctrl+Q — a call in it ends; unsaved work asks first.")
        .arg(user.name);
}
