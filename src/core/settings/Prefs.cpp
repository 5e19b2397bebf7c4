#include "Prefs.h"

#include "Log.h"

#include <QDir>

namespace {

QString homeFolder(const QProcessEnvironment &env)
{
    const QString home = env.value(QStringLiteral("HOME"));
    return home.isEmpty() ? QDir::homePath() : home;
}

// XDG says a relative value is invalid and must be ignored.
QString xdgFolder(const QProcessEnvironment &env, const char *variable, const char *fallbackUnderHome)
{
    const QString value = env.value(QLatin1String(variable));
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(homeFolder(env) + QLatin1Char('/') + QLatin1String(fallbackUnderHome));
}

// A store name is one plain path component; an absolute path names the file itself.
QString suiteFile(const QString &suite, const QString &configHome)
{
    if (QDir::isAbsolutePath(suite))
        return QDir::cleanPath(suite);
    if (suite.isEmpty() || suite == QLatin1String(".") || suite == QLatin1String("..") ||
        suite.contains(QLatin1Char('/')) || suite.contains(QChar(0)))
        return {};
    return configHome + QLatin1Char('/') + suite + QStringLiteral("/settings.json");
}

} // namespace

Prefs::Prefs(const QProcessEnvironment &env, const AppInfo &info)
{
    const QString appId = info.appId.isEmpty() ? QString::fromLatin1(fallbackAppId) : info.appId;
    const QString configHome = xdgFolder(env, "XDG_CONFIG_HOME", ".config");

    m_defaultsFile = configHome + QLatin1Char('/') + appId + QStringLiteral("/settings.json");
    if (env.contains(QStringLiteral("TARNWICK_DEFAULTS"))) {
        const QString suite = env.value(QStringLiteral("TARNWICK_DEFAULTS"));
        const QString file = suiteFile(suite, configHome);
        if (file.isEmpty())
            qCWarning(lcSettings).noquote().nospace()
                << "TARNWICK_DEFAULTS \"" << suite << "\" is not a usable store name; using "
                << m_defaultsFile;
        else
            m_defaultsFile = file;
    }

    const QString data = env.value(QStringLiteral("TARNWICK_DATA"));
    if (!data.isEmpty()) {
        m_dataFolder = QDir::cleanPath(QDir(data).absolutePath());
        m_cacheFolder = m_dataFolder + QStringLiteral("/Caches");
    } else {
        m_dataFolder = xdgFolder(env, "XDG_DATA_HOME", ".local/share") + QLatin1Char('/') + appId;
        m_cacheFolder = xdgFolder(env, "XDG_CACHE_HOME", ".cache") + QLatin1Char('/') + appId;
    }
    m_autostartFolder = configHome + QStringLiteral("/autostart");
    const QString runtime = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
    // Without a private runtime folder, a per-user name in /tmp keeps users apart.
    // The name earlier versions used, so that they and this one still exclude each other.
    m_instanceLock = QDir::isAbsolutePath(runtime)
                         ? runtime + QLatin1Char('/') + appId + QStringLiteral(".instance.lock")
                         : QDir::tempPath() + QLatin1Char('/') + appId + QLatin1Char('-') +
                               env.value(QStringLiteral("USER")) + QStringLiteral(".instance.lock");
}
