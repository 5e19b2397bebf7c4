#pragma once

#include "AppWindows.h"

#include <xcb/xproto.h>

#include <vector>

// The window manager's client list (_NET_CLIENT_LIST) and its check window,
// each window's process
// from the X server itself (X-Resource) or, for a client the server cannot
// tell, from _NET_WM_PID; closing through _NET_CLOSE_WINDOW, so the window
// manager turns it into the application's own close. Main thread only.
class X11AppWindows : public AppWindows {
public:
    QList<Window> windows() const override;
    void close(quint32 window) override;
    void activate(quint32 window) override;

private:
    // Interned once: an atom keeps its number for as long as the server runs.
    xcb_atom_t atom(int which) const;

    mutable std::vector<xcb_atom_t> m_atoms;
};
