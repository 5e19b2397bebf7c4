#pragma once

#include <QList>
#include <QString>

#include <optional>

// The hub's sections, in the order of their buttons.
enum class HubTab { Privacy, Mirror, Shelf, Tools, Quit, Apps };

namespace HubTabs {
QList<HubTab> all();
// The stable name ("privacy", "quit", ...), for settings and reports.
QString text(HubTab tab);
std::optional<HubTab> fromText(const QString &text);
QString title(HubTab tab);
// The symbol name the section button shows.
QString symbol(HubTab tab);
} // namespace HubTabs
