#pragma once

// An opaque colour in the sRGB space, each component from 0 to 1. The core
// names colours this way so it needs no GUI types; the drawing side makes a
// QColor of it.
struct SrgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    bool operator==(const SrgbColor &) const = default;
};

// The colours of the halo's ring and of the banners that go with them.
namespace HaloColor {
inline constexpr SrgbColor camera{0.2, 0.84, 0.4};
inline constexpr SrgbColor mic{0.27, 0.56, 1.0};
// An app uses the camera although the switch is off.
inline constexpr SrgbColor blocked{1.0, 0.27, 0.33};
// Notes: confirmations that are no sensor's.
inline constexpr SrgbColor note{1.0, 1.0, 1.0};
} // namespace HaloColor
