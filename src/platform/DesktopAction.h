#pragma once

#include "DesktopFacility.h"

// A facility that does one thing when asked: lock the screen, put the
// displays to sleep.
class DesktopAction : public DesktopFacility {
    Q_OBJECT
public:
    using DesktopFacility::DesktopFacility;

    // Answers with finished().
    virtual void run() = 0;

Q_SIGNALS:
    void finished(bool ok);
};
