#pragma once

#include <QImage>
#include <QObject>

// A live camera picture for the mirror: frames while started, nothing kept.
class CameraFeed : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    // The camera is let go of; later frames are not delivered.
    virtual void stop() = 0;

Q_SIGNALS:
    void frame(const QImage &image);
    // Another program holds the camera.
    void busy();
};
