#pragma once

#include <QList>

// Who uses the cameras right now. Blocking and thread-safe: called from a
// worker thread, never from the main thread.
class CameraClientFinder {
public:
    virtual ~CameraClientFinder() = default;
    // Process ids of the camera's clients, the most recently started first, each once.
    virtual QList<qint32> clients() const = 0;
};
