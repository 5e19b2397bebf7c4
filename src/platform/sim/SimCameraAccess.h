#pragma once

#include "CameraAccess.h"

// Camera access set by hand; a request grants it unless `refuse` is set.
class SimCameraAccess : public CameraAccess {
    Q_OBJECT
public:
    using CameraAccess::CameraAccess;

    void check() override { Q_EMIT checked(current); }
    void request() override
    {
        if (current.state == State::NotAsked)
            current.state = refuse ? State::Refused : State::Available;
        Q_EMIT answered();
    }

    Status current{State::Available, {}, {}};
    bool refuse = false;
};
