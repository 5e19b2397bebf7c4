#pragma once

#include "PrivateSessionBus.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

// An audio server of the test's own speaking the PulseAudio protocol, in a private runtime folder, with a
// null sink "rig_sink" and a null source "rig_source": PulseAudio itself, or PipeWire with its session
// manager and pulse server. Only the processes it started are stopped, when it is destroyed or asked to.
class PrivatePulseServer {
public:
    enum class Kind { PulseAudio, PipeWire };

    explicit PrivatePulseServer(Kind kind = defaultKind());
    // PipeWire when TARNWICK_TEST_AUDIO_SERVER is "pipewire", else PulseAudio:
    // the suite runs its audio tests against both.
    static Kind defaultKind()
    {
        return qgetenv("TARNWICK_TEST_AUDIO_SERVER") == "pipewire" ? Kind::PipeWire : Kind::PulseAudio;
    }

    // PulseAudio runs no startup script unless asked, before start(), to run its user's: startupScript(), in
    // its own home, which starts out holding only a comment (so the system's script is not run).
    void runStartupScript() { m_runsStartupScript = true; }
    QString startupScript() const { return m_dir.filePath("home/.config/pulse/default.pa"); }
    ~PrivatePulseServer() { stop(); }

    // Starts the server and waits until it answers; empty on success, otherwise what went wrong.
    QString start();
    // Stops the server and waits for its processes to exit (its bus stays,
    // so clients on it see the server go and come back).
    void stop();

    // The process speaking the protocol (PulseAudio, or PipeWire's pulse
    // server), for a test that stops or kills it as a crash would; 0 when none.
    qint64 serverPid() const { return m_daemons.empty() ? 0 : m_daemons.back()->processId(); }

    QString address() const { return QStringLiteral("unix:") + socketPath(); }
    // The session bus the server announces itself on.
    QString busAddress() const { return m_bus.address(); }
    // For clients of this server: its address, and no session bus of the caller's.
    QProcessEnvironment clientEnvironment() const;
    // `pactl` against this server: its standard output, nothing on failure.
    std::optional<QByteArray> pactl(const QStringList &arguments) const;
    // A null input `name`, made the way this server makes one; `extra`
    // arguments (channels=2, ...) go to its module.
    bool addSource(const QString &name, const QStringList &extra = {}) const;

private:
    QString runtimePath() const { return m_dir.filePath(QStringLiteral("run")); }
    QString socketPath() const
    {
        return runtimePath() +
               (m_kind == Kind::PulseAudio ? QStringLiteral("/native") : QStringLiteral("/pulse/native"));
    }
    QProcessEnvironment daemonEnvironment() const;
    QString launch(const QString &program, const QStringList &arguments);
    QString waitUntilAnswering();

    Kind m_kind;
    bool m_runsStartupScript = false;
    QTemporaryDir m_dir;
    PrivateSessionBus m_bus;
    std::vector<std::unique_ptr<QProcess>> m_daemons; // in start order
};
