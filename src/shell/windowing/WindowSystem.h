#pragma once

#include <QProcessEnvironment>
#include <Qt>

// The one place that decides which window system Tarnwick's windows talk to.
//
// Qt 6.4 offers no public way to place a window on Wayland (layer-shell needs
// a shell-integration plugin built against QtWaylandClient's private headers,
// which Debian 12 does not ship), so in a Wayland session the application
// runs on XWayland. There the overlays bypass the window manager: Wayland
// compositors' X window managers put managed windows where they like (Weston
// in the corner, sway in its tiling), while windows that bypass it stay where
// they are put, take no focus and are in no taskbar.
namespace WindowSystem {
enum class Kind {
    X11,      // an X server of its own (Xorg, Xvfb)
    XWayland, // the X server of a Wayland compositor
    Other,    // Wayland without XWayland, or no window system at all
};

// Before the application object exists: the Qt platform to ask for in the
// session `env` describes, or nothing to leave Qt's own choice (an X11
// session, a platform the user named in QT_QPA_PLATFORM, or a Wayland session
// without an X server to fall back on).
QByteArray platformFor(const QProcessEnvironment &env);
// Asks Qt for platformFor() the process environment.
void choosePlatform();

// What the running application got, from QGuiApplication::platformName() and
// the X server's name for its outputs.
Kind current();
// The flags an overlay window adds to its own for current().
Qt::WindowFlags overlayFlags();
} // namespace WindowSystem
