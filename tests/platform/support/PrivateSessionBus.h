#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// A session bus of the test's own. Services it activates (the desktop portal's permission store) keep their
// data in its private folder. Stops the bus and exactly the services that were on it.
class PrivateSessionBus {
public:
    // Which service files the bus starts services from.
    enum class Services { Installed, OnlyOwn };

    explicit PrivateSessionBus(Services services = Services::Installed);
    ~PrivateSessionBus() { stop(); }

    // Empty on success, otherwise what went wrong.
    QString start();
    void stop();
    bool isRunning() const { return m_daemon.state() != QProcess::NotRunning; }

    QString address() const { return QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus")); }
    // Where service files for Services::OnlyOwn go.
    QString servicesDir() const { return m_dir.filePath(QStringLiteral("services")); }

    // Daemons say nothing when they are ready; their socket appears. Waits up to 5 s.
    static bool appeared(const QString &socket);

private:
    QTemporaryDir m_dir;
    Services m_services;
    QProcess m_daemon;
};
