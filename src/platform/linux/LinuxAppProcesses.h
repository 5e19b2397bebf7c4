#pragma once

#include "AppProcesses.h"
#include "LinuxProcessDirectory.h"

#include <memory>

// Window owners grouped into applications by the process responsible for
// them (and by desktop entry, so two processes of one app are one entry),
// named from their desktop entries. An application's memory is its own
// part (Pss_Anon + Pss_Shmem + SwapPss from smaps_rollup) of every process in
// its trees: its main processes, their descendants and the rest of their
// systemd app unit; a process is counted once, for the first app that has it.
class LinuxAppProcesses : public AppProcesses {
public:
    explicit LinuxAppProcesses(std::shared_ptr<const LinuxProcessDirectory> directory,
                               QString procRoot = QStringLiteral("/proc"));

    QList<ListedApp> apps(const QList<WindowOwner> &owners, bool measure) const override;

private:
    const std::shared_ptr<const LinuxProcessDirectory> m_directory;
    const QString m_procRoot;
};
