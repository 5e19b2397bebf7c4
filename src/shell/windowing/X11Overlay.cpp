#include "X11Overlay.h"

#include "WindowSystem.h"
#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <vector>

namespace X11Overlay {

namespace {

Display *display()
{
    return X11Connection::xlibDisplay();
}

// Asks the window manager to add two _NET_WM_STATE flags to a mapped window.
void addStates(Display *dpy, ::Window window, const char *first, const char *second)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // add
    event.xclient.data.l[1] = long(XInternAtom(dpy, first, False));
    event.xclient.data.l[2] = long(XInternAtom(dpy, second, False));
    event.xclient.data.l[3] = 1; // from an application
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

} // namespace

bool lacksCompositor()
{
    Display *dpy = display();
    // A Wayland compositor blends every XWayland window, whoever owns the
    // X selection (Weston's X window manager does not).
    if (!dpy || WindowSystem::current() == WindowSystem::Kind::XWayland)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, XInternAtom(dpy, name.constData(), False)) == None;
}

bool keepOutOfTaskbar(QWindow &window)
{
    Display *dpy = display();
    if (!dpy)
        return false;
    // The window manager knows nothing of a window that bypasses it.
    if (window.flags().testFlag(Qt::X11BypassWindowManagerHint))
        return true;
    const auto id = ::Window(window.winId());
    addStates(dpy, id, "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER");
    addStates(dpy, id, "_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE");
    XFlush(dpy);
    return true;
}

bool setInputRegion(QWindow &window, const QRegion &region)
{
    Display *dpy = display();
    if (!dpy)
        return false;
    const qreal scale = window.devicePixelRatio();
    std::vector<XRectangle> rectangles;
    for (const QRect &rect : region) {
        const QRect device(QPoint(qRound(rect.x() * scale), qRound(rect.y() * scale)),
                           QSize(qRound(rect.width() * scale), qRound(rect.height() * scale)));
        rectangles.push_back(
            {short(device.x()), short(device.y()), ushort(device.width()), ushort(device.height())});
    }
    XShapeCombineRectangles(dpy, ::Window(window.winId()), ShapeInput, 0, 0, rectangles.data(),
                            int(rectangles.size()), ShapeSet, Unsorted);
    XFlush(dpy);
    return true;
}

} // namespace X11Overlay
