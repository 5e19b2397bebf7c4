#pragma once

#include <QtGlobal>

#include <optional>

// What the window manager shows in the taskbar, and keys typed as the X
// server itself would deliver them (XTEST), for the menu self-check.
namespace X11Taskbar {
// How many windows of process `pid` the window manager lists for the taskbar:
// in _NET_CLIENT_LIST and not marked _NET_WM_STATE_SKIP_TASKBAR. Nothing off X11.
std::optional<int> entries(qint64 pid);
// Presses and releases `key` (a keysym) with Ctrl held when `ctrl`, through
// the X server's test extension, to whichever window has the focus.
bool typeKey(unsigned long keysym, bool ctrl);
} // namespace X11Taskbar
