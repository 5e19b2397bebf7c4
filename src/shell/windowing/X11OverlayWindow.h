#pragma once

#include "Overlay.h"

class QWidget;

// An overlay as an X window: shaped input, kept above and out of taskbars
// through the window manager (or bypassing it under XWayland). It must not
// outlive its widget.
class X11OverlayWindow : public Overlay {
public:
    explicit X11OverlayWindow(QWidget &widget);

    void setInputRegion(const QRegion &region) override;
    void show() override;
    bool lacksCompositor() const override;

private:
    QWidget &m_widget;
};
