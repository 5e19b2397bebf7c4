#include "InputStrip.h"

#include "LayerShellInputStrip.h"
#include "X11InputStrip.h"

std::unique_ptr<InputStrip> InputStrip::make(const QRect &rect, qreal devicePixelRatio)
{
    if (rect.isEmpty())
        return nullptr;
    if (auto layer = LayerShellInputStrip::connect(rect))
        return layer;
    auto strip = std::make_unique<X11InputStrip>(rect, devicePixelRatio);
    if (!strip->exists())
        return nullptr;
    return strip;
}
