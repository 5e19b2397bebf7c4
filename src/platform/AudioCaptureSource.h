#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One stream that is capturing audio input right now, with what its client
// says about itself. Only `hostPid` and `appId` are vouched for by someone
// other than the client.
struct AudioCapture {
    quint32 id = 0;     // the audio server's object id; the watcher orders users by it
    qint32 pid = 0;     // the pid the client claims; 0 when it claims none or no number
    qint32 hostPid = 0; // from the server's socket credentials, where it exposes them truthfully
    QString appId;      // sandboxed clients: the app id the portal vouched for
    QString clientName; // the client's name, else its application name
    QString binary;     // the program the client says it runs
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
