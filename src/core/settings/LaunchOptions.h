#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The self-check mode chosen on the command line.
//
// A flag counts only when another argument follows it (that argument is the
// report's path); a flag that is the last argument counts as absent. Flags are
// looked for in a fixed order and the first present one wins, wherever it
// stands on the command line.
class LaunchOptions {
public:
    enum class Mode {
        Normal,
        CheckMenus,
        CheckTutorial,
        SnapshotWindows,
        BenchShelf,
        CheckSwitch,
        SensorReport,
        IdleReport
    };

    static LaunchOptions fromArguments(const QStringList &arguments); // arguments without the program name
    static const QList<Mode> &modesInOrder();
    static QString flag(Mode mode);
    // One line for --help.
    static QString help(Mode mode);

    Mode mode() const { return m_mode; }
    QString path() const { return m_path; } // absolute

private:
    Mode m_mode = Mode::Normal;
    QString m_path;
};
