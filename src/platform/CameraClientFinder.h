#pragma once

#include "ClientClaim.h"

#include <QList>

#include <stop_token>

// Who uses the cameras right now. Blocking and thread-safe: called from a
// worker thread, never from the main thread.
class CameraClientFinder {
public:
    virtual ~CameraClientFinder() = default;
    // The camera's clients, the most recently started first, each once.
    // Gives up soon after `stop` is requested (the answer is then incomplete),
    // ending any tool it started.
    virtual QList<ClientClaim> clients(std::stop_token stop) const = 0;
};
