#pragma once

#include "AppInfo.h"

#include <QProcessEnvironment>
#include <QString>

// Where settings and files live, decided once from the environment:
// TARNWICK_DEFAULTS picks another settings store, TARNWICK_DATA another data
// folder; otherwise the XDG base directories with the app id.
class Prefs {
public:
    Prefs(const QProcessEnvironment &env, const AppInfo &info);

    QString defaultsFile() const { return m_defaultsFile; }
    QString dataFolder() const { return m_dataFolder; }
    QString cacheFolder() const { return m_cacheFolder; }
    QString autostartFolder() const { return m_autostartFolder; }
    // The file whose lock the running instance holds.
    QString instanceLock() const { return m_instanceLock; }

    static constexpr const char *fallbackAppId = "dev.orvane.Tarnwick";

private:
    QString m_defaultsFile;
    QString m_dataFolder;
    QString m_cacheFolder;
    QString m_autostartFolder;
    QString m_instanceLock;
};
