#pragma once

#include "AppWindows.h"

// The window manager's client list (_NET_CLIENT_LIST), each window's process
// from _NET_WM_PID or, when a window names none, from the X server itself
// (X-Resource); closing through _NET_CLOSE_WINDOW, so the window manager
// turns it into the application's own close.
class X11AppWindows : public AppWindows {
public:
    QList<Window> windows() const override;
    qint32 windowManagerPid() const override;
    void close(quint32 window) override;
    void activate(quint32 window) override;
};
