#include "Overlay.h"

#include "LayerShellOverlay.h"
#include "X11OverlayWindow.h"

std::unique_ptr<Overlay> Overlay::make(QWidget &widget)
{
    if (auto layer = LayerShellOverlay::connect(widget))
        return layer;
    return std::make_unique<X11OverlayWindow>(widget);
}
