#pragma once

#include "DesktopAction.h"

// Counts what it is asked to do; fails when told to.
class SimDesktopAction : public DesktopAction {
    Q_OBJECT
public:
    using DesktopAction::DesktopAction;

    bool fails = false;
    Missing missingHere = Missing::Nothing;
    int runs = 0;

    void probe() override { setMissing(missingHere); }
    void run() override
    {
        ++runs;
        Q_EMIT finished(!fails);
    }
};
