#pragma once

#include <QList>
#include <QString>

#include <optional>

// The tools section's one-click tools, in the order of their tiles.
enum class Tool {
    ColorPicker,
    CleanDesktop,
    KeepAwake,
    DarkMode,
    HiddenFiles,
    EjectAll,
    LockScreen,
    SleepDisplays
};

namespace ToolCatalog {
QList<Tool> all();
// The stable name ("colorPicker", "keepAwake", ...), for reports.
QString text(Tool tool);
std::optional<Tool> fromText(const QString &text);
QString title(Tool tool);
QString subtitle(Tool tool);
// The symbol name the tile shows.
QString symbol(Tool tool);
// The tools with an on/off state.
bool isToggle(Tool tool);
// The tools that need the hub out of the way before they run.
bool closesPanel(Tool tool);
} // namespace ToolCatalog
