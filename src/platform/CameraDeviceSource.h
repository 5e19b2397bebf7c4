#pragma once

#include <QObject>

// Whether any camera is in use. Lives on the main thread and is
// event-driven: runningChanged() fires whenever a camera appears, goes away,
// or is opened or closed, after which isAnyCameraRunning() answers anew.
class CameraDeviceSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void start() = 0; // later calls do nothing
    virtual bool isAnyCameraRunning() const = 0;

Q_SIGNALS:
    void runningChanged();
};
