#pragma once

#include "InputStrip.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

// The strip as an input-only X window, never drawn; drags arrive by XDND.
class X11InputStrip : public InputStrip, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    X11InputStrip(const QRect &rect, qreal devicePixelRatio);
    ~X11InputStrip() override;

    // False off X11: the strip does not exist.
    bool exists() const { return m_window != XCB_NONE; }
    void setShown(bool shown) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    // Puts it back above windows raised since.
    void raise();
    void answerDrag(const xcb_client_message_event_t &message);
    // Refuses: the flags and everything after them stay 0.
    void send(xcb_window_t to, xcb_atom_t type);

    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_enter = XCB_NONE;
    xcb_atom_t m_position = XCB_NONE;
    xcb_atom_t m_drop = XCB_NONE;
    xcb_atom_t m_status = XCB_NONE;
    xcb_atom_t m_finished = XCB_NONE;
};
