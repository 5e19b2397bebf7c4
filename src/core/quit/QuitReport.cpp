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
        return stillOpen.isEmpty() ? L("Nothing to close") : L("Nothing closed yet");
    const QString base = closed.size() == 1 ? L("Closed 1 app") : L("Closed %d apps", int(closed.size()));
    return freed() == 0 ? base : L("%@, freed %@", base, formatBytes(freed()));
}
