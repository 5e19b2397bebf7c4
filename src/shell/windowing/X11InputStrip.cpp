#include "X11InputStrip.h"

#include "X11Connection.h"

#include <QCoreApplication>

#include <cmath>

namespace {

// The drag-and-drop protocol version the strip speaks.
constexpr uint32_t xdndVersion = 5;

} // namespace

X11InputStrip::X11InputStrip(const QRect &rect, qreal devicePixelRatio)
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection || rect.isEmpty())
        return;
    m_enter = X11Connection::atom("XdndEnter");
    m_position = X11Connection::atom("XdndPosition");
    m_drop = X11Connection::atom("XdndDrop");
    m_status = X11Connection::atom("XdndStatus");
    m_finished = X11Connection::atom("XdndFinished");

    m_window = xcb_generate_id(connection);
    // Override-redirect: no window manager frames, moves or focuses it.
    const uint32_t values[] = {1, XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW |
                                      XCB_EVENT_MASK_BUTTON_PRESS};
    const auto scaled = [devicePixelRatio](int value) { return int(std::lround(value * devicePixelRatio)); };
    xcb_create_window(connection, 0, m_window, X11Connection::root(), int16_t(scaled(rect.x())),
                      int16_t(scaled(rect.y())), uint16_t(scaled(rect.width())),
                      uint16_t(scaled(rect.height())), 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const QByteArray name("Tarnwick trigger");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(name.size()), name.constData());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, m_window, X11Connection::atom("XdndAware"),
                        XCB_ATOM_ATOM, 32, 1, &xdndVersion);
    xcb_map_window(connection, m_window);
    QCoreApplication::instance()->installNativeEventFilter(this);
    raise();
}

X11InputStrip::~X11InputStrip()
{
    if (m_window == XCB_NONE)
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_connection_t *connection = X11Connection::get();
    xcb_destroy_window(connection, m_window);
    xcb_flush(connection);
}

void X11InputStrip::raise()
{
    xcb_connection_t *connection = X11Connection::get();
    if (m_window == XCB_NONE || !connection)
        return;
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection);
}

void X11InputStrip::setShown(bool shown)
{
    xcb_connection_t *connection = X11Connection::get();
    if (m_window == XCB_NONE || !connection)
        return;
    if (shown) {
        xcb_map_window(connection, m_window);
        raise();
    } else {
        xcb_unmap_window(connection, m_window);
        xcb_flush(connection);
    }
}

bool X11InputStrip::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_ENTER_NOTIFY: {
        const auto *crossing = static_cast<const xcb_enter_notify_event_t *>(message);
        if (crossing->event != m_window)
            return false;
        if (crossing->mode == XCB_NOTIFY_MODE_NORMAL)
            Q_EMIT entered();
        return true;
    }
    case XCB_LEAVE_NOTIFY: {
        const auto *crossing = static_cast<const xcb_leave_notify_event_t *>(message);
        if (crossing->event != m_window)
            return false;
        Q_EMIT left();
        return true;
    }
    case XCB_BUTTON_PRESS: {
        const auto *press = static_cast<const xcb_button_press_event_t *>(message);
        if (press->event != m_window)
            return false;
        if (press->detail == 1)
            Q_EMIT pressed();
        return true;
    }
    case XCB_CLIENT_MESSAGE: {
        const auto *client = static_cast<const xcb_client_message_event_t *>(message);
        if (client->window != m_window)
            return false;
        answerDrag(*client);
        return true;
    }
    default:
        return false;
    }
}

void X11InputStrip::answerDrag(const xcb_client_message_event_t &message)
{
    const xcb_window_t source = message.data.data32[0];
    if (message.type == m_enter) {
        Q_EMIT dragEntered();
    } else if (message.type == m_position) {
        // Not accepted here: the hub opening over the strip takes the drop.
        send(source, m_status);
    } else if (message.type == m_drop) {
        send(source, m_finished);
    }
}

void X11InputStrip::send(xcb_window_t to, xcb_atom_t type)
{
    xcb_connection_t *connection = X11Connection::get();
    xcb_client_message_event_t reply{};
    reply.response_type = XCB_CLIENT_MESSAGE;
    reply.format = 32;
    reply.window = to;
    reply.type = type;
    reply.data.data32[0] = m_window;
    xcb_send_event(connection, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&reply));
    xcb_flush(connection);
}
