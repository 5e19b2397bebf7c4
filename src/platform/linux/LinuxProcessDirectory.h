#pragma once

#include "DesktopEntryIndex.h"
#include "ProcessDirectory.h"

// Processes from /proc, and the applications they belong to from the desktop
// entries. A process is an application's when its systemd app unit, its
// Flatpak id, its program or its name (as a window class) matches a desktop
// entry. Windows are not consulted.
//
// The responsible process of a helper is, inside a Flatpak sandbox, the
// sandbox's first process; otherwise the first process of its app unit
// (systemd scope or service); otherwise the topmost of the nearest ancestors that belong to one
// desktop entry. Thread-safe.
class LinuxProcessDirectory : public ProcessDirectory {
public:
    explicit LinuxProcessDirectory(QString procRoot = QStringLiteral("/proc"),
                                   QStringList applicationFolders = DesktopEntryIndex::defaultFolders(),
                                   QString cgroupRoot = QStringLiteral("/sys/fs/cgroup"));

    // An app is background-only when it has no desktop entry, or when it is
    // a helper of one (another process is responsible for it).
    std::optional<RunningApp> runningApp(qint32 pid) const override;
    std::optional<RunningApp> runningAppById(const QString &appId) const override;
    // What is already known of processes. One listing asks about the same
    // ancestors for every window; keep it for no longer than that.
    struct EntryMemo {
        QHash<qint32, std::optional<DesktopEntry>> entries;
        QHash<qint32, std::optional<qint32>> parents;
    };

    // The name, id, icon and categories of a window's application, matched first
    // by the window's class (whether it is a helper is not judged).
    std::optional<RunningApp> windowApp(qint32 pid, const QString &windowClass, EntryMemo &memo) const;
    // The processes of the systemd app unit `pid` runs in; empty outside one.
    QList<qint32> appUnitMembers(qint32 pid) const;
    qint32 responsible(qint32 pid) const override;
    qint32 responsible(qint32 pid, EntryMemo &memo) const;
    std::optional<qint32> parent(qint32 pid) const override;
    QList<qint32> allPIDs() const override;
    QString processName(qint32 pid) const override;
    bool isRunning(qint32 pid) const override;
    // By its executable, its argv[0] or its name (which the kernel cuts to 15 bytes).
    bool runsProgram(qint32 pid, const QString &program) const override;
    std::optional<quint64> startTime(qint32 pid) const override;

    // The app ids a systemd unit name may carry, most likely first:
    // "app[-<launcher>]-<id>-<random>.scope", "app[-<launcher>]-<id>[@<random>].service".
    // Empty for units that are not applications'.
    static QStringList appIdsOfUnit(const QString &unit);

private:
    QString cgroupOf(qint32 pid) const;
    QString flatpakIdOf(qint32 pid) const;
    std::optional<DesktopEntry> entryOf(qint32 pid) const;
    std::optional<DesktopEntry> entryOf(qint32 pid, EntryMemo &memo) const;
    // Name, id, icon and categories; without the responsible process.
    std::optional<RunningApp> describe(qint32 pid, EntryMemo &memo) const;
    QStringList programsOf(qint32 pid) const; // file names of its executable and argv[0]
    qint32 oldestIn(const QList<qint32> &pids) const;
    std::optional<qint32> firstInSandbox(qint32 pid) const;
    qint32 sandboxPid(qint32 pid) const; // the pid inside its innermost namespace; 0 when unknown
    qint32 topOfEntryChain(qint32 pid, EntryMemo &memo) const;
    std::optional<qint32> parent(qint32 pid, EntryMemo &memo) const;

    const QString m_procRoot;
    const QString m_cgroupRoot;
    const DesktopEntryIndex m_entries;
};
