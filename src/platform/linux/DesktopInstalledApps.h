#pragma once

#include "DesktopEntryIndex.h"
#include "InstalledApps.h"

// Installed applications as the desktop entries of the applications folders
// describe them.
class DesktopInstalledApps : public InstalledApps {
public:
    explicit DesktopInstalledApps(QStringList applicationFolders = DesktopEntryIndex::defaultFolders());

    std::optional<InstalledApp> find(const QString &appId) const override;
    bool launch(const InstalledApp &app) const override;

private:
    const DesktopEntryIndex m_entries;
};
