#pragma once

#include <QRegion>

class QWindow;

// The few X11 requests an overlay needs that Qt does not make. Every call is a
// no-op answering false when the application does not run on X11.
namespace X11Overlay {
// No compositing manager runs, so translucent pixels show black instead of
// blending with what lies behind: an overlay must be cut to its shape.
bool lacksCompositor();
// Keeps a shown window out of taskbars and pagers and on every desktop.
bool keepOutOfTaskbar(QWindow &window);
// Only `region` (window coordinates) takes pointer input; elsewhere clicks
// reach the windows behind. An empty region lets every click through.
bool setInputRegion(QWindow &window, const QRegion &region);
} // namespace X11Overlay
