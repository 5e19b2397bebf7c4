#include "PrivateTarnwick.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

PrivateTarnwick::PrivateTarnwick(QProcessEnvironment env)
    : m_env(std::move(env))
{
    QDir(m_dir.path()).mkpath("run");
    QFile::setPermissions(filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env.remove("TARNWICK_SIMULATED");
    m_env.insert("TARNWICK_DEFAULTS", filePath("settings.json"));
    m_env.insert("TARNWICK_DATA", filePath("data"));
    m_env.insert("XDG_CONFIG_HOME", filePath("config"));
    // The single-instance socket lives here.
    m_env.insert("XDG_RUNTIME_DIR", filePath("run"));
}

PrivateTarnwick::~PrivateTarnwick()
{
    for (const auto &process : m_launches) {
        process->kill();
        process->waitForFinished();
    }
}

QString PrivateTarnwick::binary()
{
    return QFileInfo(qEnvironmentVariable("TARNWICK_BINARY")).canonicalFilePath();
}

QProcess &PrivateTarnwick::launch(const QStringList &arguments, bool captured)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_env);
    process->setProcessChannelMode(captured ? QProcess::MergedChannels : QProcess::ForwardedChannels);
    process->start(binary(), arguments);
    m_launches.push_back(std::move(process));
    return *m_launches.back();
}

QList<qint64> PrivateTarnwick::runningPids() const
{
    const QByteArray marker = "TARNWICK_DATA=" + m_env.value("TARNWICK_DATA").toLocal8Bit();
    QList<qint64> pids;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile environment(QStringLiteral("/proc/%1/environ").arg(entry));
        if (QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry)) == binary() &&
            environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(marker))
            pids.append(entry.toLongLong());
    }
    return pids;
}

QJsonObject PrivateTarnwick::settings() const
{
    QFile file(filePath("settings.json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

void PrivateTarnwick::writeSettings(const QJsonObject &settings) const
{
    QFile file(filePath("settings.json"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(settings).toJson());
}

QStringList PrivateTarnwick::lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
