#pragma once

#include "QuietMicProblem.h"

#include <QByteArray>
#include <QList>
#include <QString>

class AudioServerStartup;

// Keeps the quiet microphone across restarts of the audio server, in the
// user's own configuration of whichever server runs, where that server reads it:
//  - PulseAudio: a marked block in its startup script, usually
//    ~/.config/pulse/default.pa (a new file first includes the system's
//    default.pa, as a user file replaces it);
//  - PipeWire's pulse server: a file of its own in
//    <its configuration folder>/pipewire-pulse.conf.d/.
// Both load the same two modules, and neither stops the server from starting
// when they fail. A file that cannot be read is never written.
class QuietMicPersistence {
public:
    enum class Server { PulseAudio, PipeWire };

    struct Module {
        QByteArray name;
        QByteArray arguments;
    };
    // A silent output the noise is played into, then the input made of what it plays.
    static const QList<Module> &modules();
    static constexpr char sinkName[] = "TarnwickQuietMicSink";

    // The files in the running server's own places.
    explicit QuietMicPersistence(const AudioServerStartup &server);
    // For a server that cannot be seen: the files under `configHome`, the
    // user's configuration folder.
    explicit QuietMicPersistence(const QString &configHome);

    // Empty for a PulseAudio that runs no startup script.
    QString pulseAudioFile() const { return m_pulseAudioFile; }
    QString pipeWireFile() const { return m_pipeWireFile; }

    QuietMicProblem add(Server server) const;
    // Takes it out of both servers' configuration.
    QuietMicProblem remove() const;

private:
    QuietMicProblem addToPulseAudio() const;
    QuietMicProblem addToPipeWire() const;
    QuietMicProblem removeFromPulseAudio() const;
    QuietMicProblem removeFromPipeWire() const;

    QString m_pulseAudioFile;
    QString m_pipeWireFile;
};
