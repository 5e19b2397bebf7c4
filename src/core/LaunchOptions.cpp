#include "LaunchOptions.h"

#include <QFileInfo>

const QList<LaunchOptions::Mode> &LaunchOptions::modesInOrder()
{
    static const QList<Mode> order{Mode::CheckMenus, Mode::CheckTutorial, Mode::SnapshotWindows,
                                   Mode::BenchShelf, Mode::CheckSwitch,   Mode::SensorReport,
                                   Mode::IdleReport};
    return order;
}

QString LaunchOptions::flag(Mode mode)
{
    switch (mode) {
    case Mode::CheckMenus:
        return QStringLiteral("--check-menus");
    case Mode::CheckTutorial:
        return QStringLiteral("--check-tutorial");
    case Mode::SnapshotWindows:
        return QStringLiteral("--snapshot-windows");
    case Mode::BenchShelf:
        return QStringLiteral("--bench-shelf");
    case Mode::CheckSwitch:
        return QStringLiteral("--check-switch");
    case Mode::SensorReport:
        return QStringLiteral("--sensor-report");
    case Mode::IdleReport:
        return QStringLiteral("--idle-report");
    case Mode::Normal:
        break;
    }
    return {};
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

bool LaunchOptions::runsBeforeHubStart() const
{
    return m_mode != Mode::Normal && m_mode != Mode::SensorReport && m_mode != Mode::IdleReport;
}
