#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A PulseAudio daemon of the test's own, in a private runtime folder, with a
// null sink and a null source. Stopped (only this one) when destroyed.
class PrivatePulseServer {
public:
    PrivatePulseServer();
    ~PrivatePulseServer();

    // Starts the daemon and waits until it answers; empty on success,
    // otherwise what went wrong.
    QString start();
    // Stops the daemon and waits for it to exit.
    void stop();

    QString address() const { return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("run/native")); }
    QString runtimePath() const { return m_dir.filePath(QStringLiteral("run")); }
    // For clients of this daemon: its address, and no session bus of the caller's.
    QProcessEnvironment clientEnvironment() const;
    // `pactl` against this daemon: its standard output, nothing on failure.
    std::optional<QByteArray> pactl(const QStringList &arguments) const;
    // Adds variables to the daemon's environment for its next start.
    void setDaemonEnvironment(const QString &name, const QString &value) { m_extraEnv.insert(name, value); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcessEnvironment m_extraEnv;
};
