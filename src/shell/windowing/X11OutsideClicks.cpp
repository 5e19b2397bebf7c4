#include "X11OutsideClicks.h"

#include "X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputEvent>
#include <QWindow>

#include <xcb/xinput.h>

namespace {

// Whether `window` is one of this process's own (the hub, the tray icon...).
bool isOwn(xcb_window_t window)
{
    const QWindowList windows = QGuiApplication::allWindows();
    for (QWindow *own : windows) {
        if (own->handle() && xcb_window_t(own->winId()) == window)
            return true;
    }
    return false;
}

} // namespace

X11OutsideClicks::X11OutsideClicks(QObject *parent)
    : QObject(parent)
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    m_opcode = extension->major_opcode;
    select(true);
    QCoreApplication::instance()->installNativeEventFilter(this);
    QCoreApplication::instance()->installEventFilter(this);
}

X11OutsideClicks::~X11OutsideClicks()
{
    if (!m_opcode)
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    QCoreApplication::instance()->removeNativeEventFilter(this);
    select(false);
}

void X11OutsideClicks::select(bool on)
{
    xcb_connection_t *connection = X11Connection::get();
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(connection, X11Connection::root(), 1, &mask.head);
    xcb_flush(connection);
}

bool X11OutsideClicks::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
    if (generic->extension != m_opcode || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
        return false;
    const auto *press = static_cast<const xcb_input_raw_button_press_event_t *>(message);
    if (press->detail != 1 && press->detail != 3)
        return true;
    // Our own window's press, if it is one, is still on its way through Qt.
    m_rawPress = press->time;
    QMetaObject::invokeMethod(this, &X11OutsideClicks::decide, Qt::QueuedConnection);
    return true;
}

bool X11OutsideClicks::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType())
        m_ownPress = quint32(static_cast<QInputEvent *>(event)->timestamp());
    return false;
}

void X11OutsideClicks::decide()
{
    const std::optional<quint32> press = std::exchange(m_rawPress, std::nullopt);
    if (!press || *press == m_ownPress || isOwn(X11Connection::windowUnderPointer()))
        return;
    Q_EMIT clicked();
}
