#pragma once

#include "DesktopFacility.h"

// Lets the user click any pixel of the screen.
class ColorPicker : public DesktopFacility {
    Q_OBJECT
public:
    using DesktopFacility::DesktopFacility;

    // Answers with picked() once the user clicked or cancelled.
    virtual void pick() = 0;

Q_SIGNALS:
    // The colour in sRGB components of 0…1; `chosen` is false when the
    // user cancelled or the picker failed.
    void picked(bool chosen, double red, double green, double blue);
};
