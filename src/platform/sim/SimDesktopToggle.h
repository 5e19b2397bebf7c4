#pragma once

#include "DesktopToggle.h"

// A setting or hold that is what the test sets; a switch works unless
// `refuses` is set, and answers at once.
class SimDesktopToggle : public DesktopToggle {
    Q_OBJECT
public:
    using DesktopToggle::DesktopToggle;

    bool refuses = false;
    Missing missingHere = Missing::Nothing;
    int probes = 0;

    void probe() override
    {
        ++probes;
        setMissing(missingHere);
    }
    void setOn(bool on) override
    {
        if (!refuses)
            setState(on);
        Q_EMIT switched(!refuses);
    }
    // The desktop changed it by itself.
    void changeOutside(bool on) { setState(on); }
};
