#pragma once

#include "CameraAccess.h"
#include "CameraNodeScan.h"
#include "PortalRequest.h"

#include <QThreadPool>

// Whether this user may open a camera: any video capture node that opens
// is enough; a node that refuses names its group, which is how access is
// given on Linux. Inside a sandbox the camera portal decides instead.
class LinuxCameraAccess : public CameraAccess {
    Q_OBJECT
public:
    LinuxCameraAccess(CameraNodeScan scan, QDBusConnection session, bool sandboxed,
                      QObject *parent = nullptr);
    ~LinuxCameraAccess() override;

    void check() override;
    void request() override;
    // What check() answers, found on the calling thread.
    Status status() const;

    // Whether this process runs in a Flatpak sandbox.
    static bool inSandbox();

private:
    CameraNodeScan m_scan;
    PortalRequest m_request;
    const bool m_sandboxed;
    State m_portalAnswer = State::NotAsked;
    QThreadPool m_worker;
};
