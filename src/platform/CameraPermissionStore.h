#pragma once

#include <QList>
#include <QString>

// An application that can ask for the camera.
struct CameraApp {
    QString appId; // desktop-file id or sandbox app id
    QString name;  // its desktop name; the id when it has none
    QString icon = {}; // its desktop entry's icon: a theme name or an absolute path; may be empty
    friend bool operator==(const CameraApp &, const CameraApp &) = default;
};

// Where the system keeps each application's camera permission. Every call
// blocks on the store and is safe on any thread: the camera half of the
// switch runs it away from the main thread.
class CameraPermissionStore {
public:
    virtual ~CameraPermissionStore() = default;
    // The store can be reached now.
    virtual bool isAvailable() const = 0;
    // The applications that hold a camera decision or may ask for one.
    virtual QList<CameraApp> apps() const = 0;
    // Takes the application's camera decision away, so it has to ask again;
    // true when it holds none afterwards.
    virtual bool revoke(const QString &appId) = 0;
};
