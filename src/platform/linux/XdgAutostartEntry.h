#pragma once

#include "AutostartService.h"

// Start at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<app id>.desktop.
class XdgAutostartEntry : public AutostartService {
public:
    XdgAutostartEntry(QString autostartFolder, QString appId, QString executable);

    bool isRegistered() const override;
    QString setRegistered(bool on) override;

    QString filePath() const;
    // The Exec= value for a program path, quoted and escaped as desktop entries require.
    static QString execValue(const QString &program);
    // What the entry should start: the bare program name when that name, looked up in
    // searchPath (PATH's folders), is this very binary, as for an installed package, so the
    // entry survives upgrades and moves; otherwise the binary's full path.
    static QString launchCommand(const QString &binary, const QStringList &searchPath);

private:
    QString m_folder;
    QString m_appId;
    QString m_executable;
};
