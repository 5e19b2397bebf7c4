#include "Overlay.h"

#include "LayerShellOverlay.h"
#include "WindowSystem.h"
#include "X11OverlayWindow.h"

std::unique_ptr<Overlay> Overlay::make(QWidget &widget)
{
    // XWayland hands the compositor the whole window, clicks beside the
    // input shape too; a layer surface takes only its input region.
    if (WindowSystem::current() == WindowSystem::Kind::XWayland) {
        if (auto layer = LayerShellOverlay::connect(widget))
            return layer;
    }
    return std::make_unique<X11OverlayWindow>(widget);
}
