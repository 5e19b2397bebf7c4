#include "AppEntry.h"

#include "AppCategory.h"
#include "Text.h"

#include <QCollator>

#include <algorithm>

AppEntry AppEntry::from(const ListedApp &app)
{
    AppEntry entry;
    entry.pid = app.pid;
    entry.name = shownName({app.name});
    entry.appId = app.appId;
    entry.icon = app.icon;
    entry.memory = app.memory;
    entry.category = AppCategory::fromDesktop(app.categories);
    entry.pin = app.pin;
    return entry;
}

void sortByMemory(QList<AppEntry> &apps)
{
    QCollator collator;
    std::stable_sort(apps.begin(), apps.end(), [&collator](const AppEntry &a, const AppEntry &b) {
        if (a.memory != b.memory)
            return a.memory > b.memory;
        return collator.compare(a.name, b.name) < 0;
    });
}
