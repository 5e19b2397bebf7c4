#include "HubTab.h"

#include <QCoreApplication>

namespace HubTabs {

namespace {

struct Entry {
    HubTab tab;
    const char *text;
    const char *title;
    const char *symbol;
};

constexpr Entry entries[] = {
    {HubTab::Privacy, "privacy", QT_TRANSLATE_NOOP("Tarnwick", "Privacy"), "lock.shield"},
    {HubTab::Mirror, "mirror", QT_TRANSLATE_NOOP("Tarnwick", "Mirror"), "person.crop.square"},
    {HubTab::Shelf, "shelf", QT_TRANSLATE_NOOP("Tarnwick", "Shelf"), "tray.full"},
    {HubTab::Tools, "tools", QT_TRANSLATE_NOOP("Tarnwick", "Tools"), "square.grid.2x2"},
    {HubTab::Quit, "quit", QT_TRANSLATE_NOOP("Tarnwick", "Quit All"), "xmark.circle"},
    {HubTab::Apps, "apps", QT_TRANSLATE_NOOP("Tarnwick", "Apps"), "square.stack.3d.up"},
};

const Entry &entry(HubTab tab)
{
    return entries[int(tab)];
}

} // namespace

QList<HubTab> all()
{
    QList<HubTab> tabs;
    for (const Entry &each : entries)
        tabs.append(each.tab);
    return tabs;
}

QString text(HubTab tab)
{
    return QString::fromLatin1(entry(tab).text);
}

std::optional<HubTab> fromText(const QString &text)
{
    for (const Entry &each : entries) {
        if (text == QLatin1String(each.text))
            return each.tab;
    }
    return std::nullopt;
}

QString title(HubTab tab)
{
    // The titles are collected from the table above.
    return QCoreApplication::translate("Tarnwick", entry(tab).title);
}

QString symbol(HubTab tab)
{
    return QString::fromLatin1(entry(tab).symbol);
}

} // namespace HubTabs
