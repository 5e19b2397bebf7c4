#pragma once

#include "AppTerminator.h"

// Asks a process to quit with SIGTERM, which apps treat as a request to
// close. Asking through the app's own windows (a close request via the
// window manager) comes with the quit list, which finds those windows.
class SignalAppTerminator : public AppTerminator {
public:
    void terminate(qint32 pid) override;
};
