#pragma once

#include "ClientClaim.h"

#include <QList>
#include <QObject>
#include <QString>

// One stream that is capturing audio input right now, with what its client
// says about itself.
struct AudioCapture : ClientClaim {
    quint32 id = 0; // the audio server's object id; the watcher orders users by it
    friend bool operator==(const AudioCapture &, const AudioCapture &) = default;
};

// The machine's audio capture streams. Lives on the main thread and is
// event-driven: capturesChanged() fires after any change the server reports.
class AudioCaptureSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Connects and subscribes; later calls do nothing.
    virtual void start() = 0;
    // The streams capturing now, ascending by id; never this process's own.
    virtual QList<AudioCapture> captures() const = 0;

Q_SIGNALS:
    void capturesChanged();
};
