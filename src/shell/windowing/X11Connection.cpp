#include "X11Connection.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace X11Connection {

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> Owned<Reply> own(Reply *reply)
{
    return Owned<Reply>(reply, &std::free);
}

} // namespace

namespace {

const QNativeInterface::QX11Application *x11()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

} // namespace

xcb_connection_t *get()
{
    const auto *native = x11();
    return native ? native->connection() : nullptr;
}

_XDisplay *xlibDisplay()
{
    const auto *native = x11();
    return native ? native->display() : nullptr;
}

xcb_window_t root()
{
    xcb_connection_t *connection = get();
    if (!connection)
        return XCB_NONE;
    // Qt opens the default screen; Tarnwick places everything on it.
    const xcb_setup_t *setup = xcb_get_setup(connection);
    return xcb_setup_roots_iterator(setup).data->root;
}

xcb_atom_t atom(const QByteArray &name)
{
    xcb_connection_t *connection = get();
    if (!connection)
        return XCB_NONE;
    const auto reply = own(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

std::vector<xcb_atom_t> atoms(const QList<QByteArray> &names)
{
    xcb_connection_t *connection = get();
    std::vector<xcb_atom_t> found(size_t(names.size()), XCB_NONE);
    if (!connection)
        return found;
    std::vector<xcb_intern_atom_cookie_t> asked;
    asked.reserve(found.size());
    for (const QByteArray &name : names)
        asked.push_back(xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()));
    for (size_t i = 0; i < asked.size(); ++i) {
        if (const auto reply = own(xcb_intern_atom_reply(connection, asked[i], nullptr)))
            found[i] = reply->atom;
    }
    return found;
}

xcb_window_t windowUnderPointer()
{
    xcb_connection_t *connection = get();
    xcb_window_t window = root();
    if (!connection)
        return window;
    // Bounded: a window tree changing under us must not keep this going.
    for (int depth = 0; depth < 32; ++depth) {
        const auto reply =
            own(xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
        if (!reply || reply->child == XCB_NONE)
            break;
        window = reply->child;
    }
    return window;
}

bool buttonHeld()
{
    xcb_connection_t *connection = get();
    if (!connection)
        return false;
    const auto reply =
        own(xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root()), nullptr));
    const uint16_t buttons =
        XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3;
    return reply && (reply->mask & buttons) != 0;
}

} // namespace X11Connection
