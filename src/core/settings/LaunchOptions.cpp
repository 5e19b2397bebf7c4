#include "LaunchOptions.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct ModeEntry {
    LaunchOptions::Mode mode;
    const char *flag;
    const char *help;
};

// In the order the flags are looked for: the first present one wins.
constexpr ModeEntry modeTable[] = {
    {LaunchOptions::Mode::CheckMenus, "--check-menus",
     QT_TRANSLATE_NOOP("Tarnwick", "Check the menus and write a report to <path>.")},
    {LaunchOptions::Mode::CheckTutorial, "--check-tutorial",
     QT_TRANSLATE_NOOP("Tarnwick", "Walk through the tutorial and write a report.")},
    {LaunchOptions::Mode::SnapshotWindows, "--snapshot-windows",
     QT_TRANSLATE_NOOP("Tarnwick", "Render windows and overlays as PNG files into the folder <path>.")},
    {LaunchOptions::Mode::BenchShelf, "--bench-shelf",
     QT_TRANSLATE_NOOP("Tarnwick", "Measure the shelf and write a report.")},
    {LaunchOptions::Mode::CheckSwitch, "--check-switch",
     QT_TRANSLATE_NOOP("Tarnwick", "Check the camera and microphone switch and write a report.")},
    {LaunchOptions::Mode::SensorReport, "--sensor-report",
     QT_TRANSLATE_NOOP("Tarnwick", "Log camera and microphone changes for TARNWICK_REPORT_SECONDS (30).")},
    {LaunchOptions::Mode::IdleReport, "--idle-report",
     QT_TRANSLATE_NOOP("Tarnwick", "Measure idle cost over TARNWICK_IDLE_SECONDS (300) and write a report.")},
};

const ModeEntry *entryFor(LaunchOptions::Mode mode)
{
    for (const ModeEntry &entry : modeTable) {
        if (entry.mode == mode)
            return &entry;
    }
    return nullptr;
}

} // namespace

const QList<LaunchOptions::Mode> &LaunchOptions::modesInOrder()
{
    static const QList<Mode> order = [] {
        QList<Mode> modes;
        for (const ModeEntry &entry : modeTable)
            modes.append(entry.mode);
        return modes;
    }();
    return order;
}

QString LaunchOptions::flag(Mode mode)
{
    const ModeEntry *entry = entryFor(mode);
    return entry ? QString::fromLatin1(entry->flag) : QString();
}

QString LaunchOptions::help(Mode mode)
{
    const ModeEntry *entry = entryFor(mode);
    // The texts are collected from the table above.
    return entry ? QCoreApplication::translate("Tarnwick", entry->help) : QString();
}

LaunchOptions LaunchOptions::fromArguments(const QStringList &arguments)
{
    LaunchOptions options;
    for (Mode mode : modesInOrder()) {
        const qsizetype at = arguments.indexOf(flag(mode));
        if (at < 0 || at + 1 >= arguments.size())
            continue;
        options.m_mode = mode;
        options.m_path = QFileInfo(arguments.at(at + 1)).absoluteFilePath();
        break;
    }
    return options;
}
