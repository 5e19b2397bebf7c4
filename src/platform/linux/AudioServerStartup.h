#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Where a running audio server reads its startup configuration, worked out
// from that server's own environment and command line, not from Tarnwick's:
// a server started by the service manager often has another environment than
// the desktop session.
class AudioServerStartup {
public:
    AudioServerStartup(QProcessEnvironment environment, QStringList arguments);

    // The process answering on the server's socket (its peer credentials),
    // read from /proc; nothing when it cannot be seen (another user or
    // namespace) or `serverAddress` is not a local socket.
    static std::optional<AudioServerStartup> ofServer(const QString &serverAddress);

    // The script PulseAudio runs at start, looked for as it does: $PULSE_SCRIPT;
    // $PULSE_CONFIG_PATH/default.pa; ~/.pulse/default.pa when it exists;
    // otherwise ~/.config/pulse/default.pa ($XDG_CONFIG_HOME plays no part).
    // Empty when the server was told to run none (-n).
    QString pulseAudioScript() const;
    // The folder of the user's configuration PipeWire reads
    // ($PIPEWIRE_CONFIG_DIR, $XDG_CONFIG_HOME/pipewire or ~/.config/pipewire).
    QString pipeWireFolder() const;

private:
    QString home() const;

    QProcessEnvironment m_environment;
    QStringList m_arguments;
};
