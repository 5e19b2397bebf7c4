#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

// Qt's own connection to the X server, shared so that replies and events of
// Tarnwick's X requests arrive through Qt's event loop. Nothing off X11.
namespace X11Connection {
xcb_connection_t *get();
xcb_window_t root();
xcb_atom_t atom(const QByteArray &name);
// The innermost window under the pointer (the root when none).
xcb_window_t windowUnderPointer();
// Whether any mouse button is held down now, in whichever window.
bool buttonHeld();
} // namespace X11Connection
