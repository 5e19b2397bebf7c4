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

private:
    QString m_folder;
    QString m_appId;
    QString m_executable;
};
