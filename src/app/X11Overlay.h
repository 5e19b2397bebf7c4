#pragma once

#include <QRegion>

class QWindow;

// The few X11 requests an overlay needs that Qt does not make. Every call is a
// no-op answering false when the application does not run on X11.
namespace X11Overlay {
// A compositing manager is running, so translucent pixels blend with what
// lies behind; without one they show black and the overlay must be shaped.
bool compositing();
// Keeps a shown window out of taskbars and pagers and on every desktop.
bool keepOutOfTaskbar(QWindow &window);
// Only `region` (window coordinates) takes pointer input; elsewhere clicks
// reach the windows behind. An empty region lets every click through.
bool setInputRegion(QWindow &window, const QRegion &region);
} // namespace X11Overlay
