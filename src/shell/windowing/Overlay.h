#pragma once

#include <QRegion>

#include <memory>

class QWidget;

// What an overlay window needs from the window system beyond Qt: where it
// takes the pointer, and showing it above everything, out of taskbars and
// without the keyboard. The kind is chosen per overlay when it is made:
// layer-shell where the Wayland compositor offers it, X11 (also under
// XWayland) otherwise.
class Overlay {
public:
    virtual ~Overlay() = default;

    // For `widget`, a frameless top-level not shown yet, at its final geometry.
    static std::unique_ptr<Overlay> make(QWidget &widget);

    // Only `region` (widget coordinates) takes pointer input; elsewhere
    // clicks reach the windows behind. An empty region lets every click through.
    virtual void setInputRegion(const QRegion &region) = 0;
    virtual void show() = 0;
    // Translucent pixels would show black: the widget must be cut to its shape.
    virtual bool lacksCompositor() const = 0;
};
