#include "Tool.h"

#include <QCoreApplication>

namespace ToolCatalog {

namespace {

struct Entry {
    Tool tool;
    const char *text;
    const char *title;
    const char *subtitle;
    const char *symbol;
    bool toggle;
    bool closesPanel;
};

constexpr Entry entries[] = {
    {Tool::ColorPicker, "colorPicker", QT_TRANSLATE_NOOP("Tarnwick", "Pick a Color"),
     QT_TRANSLATE_NOOP("Tarnwick",
                       "Click any pixel; its color code (like #34D366) is copied to paste anywhere"),
     "eyedropper", false, true},
    {Tool::CleanDesktop, "cleanDesktop", QT_TRANSLATE_NOOP("Tarnwick", "Hide Desktop Icons"),
     QT_TRANSLATE_NOOP("Tarnwick", "For calls and screenshots — your files stay in the Desktop folder"),
     "menubar.dock.rectangle", true, false},
    {Tool::KeepAwake, "keepAwake", QT_TRANSLATE_NOOP("Tarnwick", "Keep Awake"),
     QT_TRANSLATE_NOOP("Tarnwick", "The computer and the screen stay on until you turn this off"),
     "cup.and.saucer.fill", true, false},
    {Tool::DarkMode, "darkMode", QT_TRANSLATE_NOOP("Tarnwick", "Dark Mode"),
     QT_TRANSLATE_NOOP("Tarnwick", "Switches the whole computer between light and dark"),
     "circle.lefthalf.filled", false, false},
    {Tool::HiddenFiles, "hiddenFiles", QT_TRANSLATE_NOOP("Tarnwick", "Show Hidden Files"),
     QT_TRANSLATE_NOOP("Tarnwick", "Files the file manager normally hides; safe to turn off again"), "eye",
     true, false},
    {Tool::EjectAll, "ejectAll", QT_TRANSLATE_NOOP("Tarnwick", "Eject All Disks"),
     QT_TRANSLATE_NOOP("Tarnwick", "Every external disk, safely — wait for copies to finish"), "eject.fill",
     false, false},
    {Tool::LockScreen, "lockScreen", QT_TRANSLATE_NOOP("Tarnwick", "Lock Screen"),
     QT_TRANSLATE_NOOP("Tarnwick", "Locks at once; your work stays open"), "lock.fill", false, true},
    {Tool::SleepDisplays, "sleepDisplays", QT_TRANSLATE_NOOP("Tarnwick", "Sleep Displays"),
     QT_TRANSLATE_NOOP("Tarnwick", "Screens go dark, everything keeps running; move the mouse to wake"),
     "moon.zzz.fill", false, true},
};

const Entry &entry(Tool tool)
{
    return entries[int(tool)];
}

} // namespace

QList<Tool> all()
{
    QList<Tool> tools;
    for (const Entry &each : entries)
        tools.append(each.tool);
    return tools;
}

QString text(Tool tool)
{
    return QString::fromLatin1(entry(tool).text);
}

std::optional<Tool> fromText(const QString &text)
{
    for (const Entry &each : entries) {
        if (text == QLatin1String(each.text))
            return each.tool;
    }
    return std::nullopt;
}

// The titles and subtitles are collected from the table above.
QString title(Tool tool)
{
    return QCoreApplication::translate("Tarnwick", entry(tool).title);
}

QString subtitle(Tool tool)
{
    return QCoreApplication::translate("Tarnwick", entry(tool).subtitle);
}

QString symbol(Tool tool)
{
    return QString::fromLatin1(entry(tool).symbol);
}

bool isToggle(Tool tool)
{
    return entry(tool).toggle;
}

bool closesPanel(Tool tool)
{
    return entry(tool).closesPanel;
}

} // namespace ToolCatalog
