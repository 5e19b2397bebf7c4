#include "HubTab.h"

#include "Text.h"

namespace HubTabs {

namespace {

struct Entry {
    HubTab tab;
    const char *text;
    const char *title;
    const char *symbol;
};

constexpr Entry entries[] = {
    {HubTab::Privacy, "privacy", "Privacy", "lock.shield"},
    {HubTab::Mirror, "mirror", "Mirror", "person.crop.square"},
    {HubTab::Shelf, "shelf", "Shelf", "tray.full"},
    {HubTab::Tools, "tools", "Tools", "square.grid.2x2"},
    {HubTab::Quit, "quit", "Quit All", "xmark.circle"},
    {HubTab::Apps, "apps", "Apps", "square.stack.3d.up"},
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
    return L(entry(tab).title);
}

QString symbol(HubTab tab)
{
    return QString::fromLatin1(entry(tab).symbol);
}

} // namespace HubTabs
