#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

#include <xcb/xcb.h>

struct _XDisplay;

// Qt's own connection to the X server, shared so that replies and events of
// Tarnwick's X requests arrive through Qt's event loop. Nothing off X11.
namespace X11Connection {
xcb_connection_t *get();
// The same connection as Xlib sees it, for the extensions only Xlib speaks.
_XDisplay *xlibDisplay();
xcb_window_t root();
xcb_atom_t atom(const QByteArray &name);
// Several at once, in one round trip to the server; XCB_NONE for any it refused.
std::vector<xcb_atom_t> atoms(const QList<QByteArray> &names);
// The innermost window under the pointer (the root when none).
xcb_window_t windowUnderPointer();
// Whether any mouse button is held down now, in whichever window.
bool buttonHeld();
} // namespace X11Connection
