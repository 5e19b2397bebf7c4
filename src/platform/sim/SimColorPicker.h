#pragma once

#include "ColorPicker.h"

#include <optional>

// Picks the colour it is given, or cancels when it has none.
class SimColorPicker : public ColorPicker {
    Q_OBJECT
public:
    using ColorPicker::ColorPicker;

    struct Rgb {
        double red = 0;
        double green = 0;
        double blue = 0;
    };
    std::optional<Rgb> next;
    Missing missingHere = Missing::Nothing;

    void probe() override { setMissing(missingHere); }
    void pick() override
    {
        const Rgb color = next.value_or(Rgb{});
        Q_EMIT picked(next.has_value(), color.red, color.green, color.blue);
    }
};
