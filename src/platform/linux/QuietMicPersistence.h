#pragma once

#include "QuietMicProblem.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Keeps the quiet microphone across restarts of the audio server, in the
// user's own configuration of whichever server runs:
//  - PulseAudio: a marked block in ~/.config/pulse/default.pa (a new file
//    first includes the system's default.pa, as a user file replaces it);
//  - PipeWire's pulse server: a file of its own in
//    ~/.config/pipewire/pipewire-pulse.conf.d/.
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

    // `configHome`: the user's configuration folder ($XDG_CONFIG_HOME).
    explicit QuietMicPersistence(QString configHome);

    QString pulseAudioFile() const;
    QString pipeWireFile() const;

    QuietMicProblem add(Server server) const;
    // Takes it out of both servers' configuration.
    QuietMicProblem remove() const;

private:
    QuietMicProblem addToPulseAudio() const;
    QuietMicProblem addToPipeWire() const;
    QuietMicProblem removeFromPulseAudio() const;
    QuietMicProblem removeFromPipeWire() const;

    QString m_configHome;
};
