#include "X11Taskbar.h"

#include "X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace X11Taskbar {

namespace {

std::vector<uint32_t> property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                               xcb_atom_t type)
{
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 4096),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

} // namespace

std::optional<int> entries(qint64 pid)
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return std::nullopt;
    const xcb_atom_t pidAtom = X11Connection::atom("_NET_WM_PID");
    const xcb_atom_t stateAtom = X11Connection::atom("_NET_WM_STATE");
    const xcb_atom_t skip = X11Connection::atom("_NET_WM_STATE_SKIP_TASKBAR");
    int count = 0;
    for (const uint32_t window : property(connection, X11Connection::root(),
                                          X11Connection::atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const std::vector<uint32_t> owner = property(connection, window, pidAtom, XCB_ATOM_CARDINAL);
        if (owner.empty() || qint64(owner.front()) != pid)
            continue;
        const std::vector<uint32_t> state = property(connection, window, stateAtom, XCB_ATOM_ATOM);
        if (std::find(state.begin(), state.end(), skip) == state.end())
            ++count;
    }
    return count;
}

bool typeKey(unsigned long keysym, bool ctrl)
{
    xcb_connection_t *connection = X11Connection::get();
    Display *display = X11Connection::xlibDisplay();
    if (!connection || !display)
        return false;
    const KeyCode key = XKeysymToKeycode(display, keysym);
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    if (key == 0 || (ctrl && control == 0))
        return false;
    const xcb_window_t root = X11Connection::root();
    const auto send = [&](uint8_t type, KeyCode code) {
        xcb_test_fake_input(connection, type, code, XCB_CURRENT_TIME, root, 0, 0, 0);
    };
    if (ctrl)
        send(XCB_KEY_PRESS, control);
    send(XCB_KEY_PRESS, key);
    send(XCB_KEY_RELEASE, key);
    if (ctrl)
        send(XCB_KEY_RELEASE, control);
    xcb_flush(connection);
    return true;
}

} // namespace X11Taskbar
