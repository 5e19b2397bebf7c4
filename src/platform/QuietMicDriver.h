#pragma once

#include "QuietMicProblem.h"

#include <QObject>
#include <QString>

#include <functional>

// The quiet microphone: a virtual input that carries soft white noise, so a
// call hears a plausible room instead of dead silence while the real
// microphones are switched off. Lives on the main thread; changed() fires
// after every change of what it reports.
class QuietMicDriver : public QObject {
    Q_OBJECT
public:
    // The quiet microphone's input name. The microphone guard never touches it.
    static constexpr char uid[] = "TarnwickQuietMic_UID";

    // No problem on success.
    using Finished = std::function<void(const QuietMicProblem &problem)>;

    using QObject::QObject;
    // Connects and reads the server's state; later calls do nothing.
    virtual void start() = 0;
    // The server's state has been read and the server is there.
    virtual bool isAvailable() const = 0;
    // The quiet microphone is one of the server's inputs right now.
    virtual bool isInstalled() const = 0;
    // Adds the quiet microphone now and for every later start of the server.
    // `finished` runs once the server has taken it (it may not list it yet).
    virtual void install(Finished finished) = 0;
    // Takes it away now and from later starts.
    virtual QuietMicProblem remove() = 0;
    // Whether an input of that name exists right now.
    virtual bool hasInput(const QString &inputUid) const = 0;
    // The name of the server's default input; empty when unknown.
    virtual QString defaultInput() const = 0;
    // Asks the server to make it the default input; false when it could not be asked.
    virtual bool setDefaultInput(const QString &inputUid) = 0;
    // Plays the white noise into the quiet microphone while on.
    virtual void setNoise(bool on) = 0;

Q_SIGNALS:
    void changed();
};
