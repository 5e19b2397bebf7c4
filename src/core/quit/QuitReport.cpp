#include "QuitReport.h"

#include "Text.h"

quint64 QuitReport::freed() const
{
    quint64 sum = 0;
    for (const AppEntry &app : closed)
        sum += app.memory;
    return sum;
}

QString QuitReport::headline() const
{
    if (closed.isEmpty())
        return stillOpen.isEmpty() ? Text::tr("Nothing to close") : Text::tr("Nothing closed yet");
    const QString base = closed.size() == 1 ? Text::tr("Closed 1 app")
                                            : Text::tr("Closed %n apps", nullptr, int(closed.size()));
    return freed() == 0 ? base : Text::tr("%1, freed %2").arg(base, formatBytes(freed()));
}
