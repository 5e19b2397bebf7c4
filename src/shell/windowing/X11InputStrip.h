#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>

#include <xcb/xcb.h>

// An input-only X window: it is never drawn (what lies below stays visible
// and keeps updating) and takes the pointer only over its own rectangle, so
// a desktop panel under it still gets every click beside and below it. It
// tells when the pointer enters and leaves, a button is pressed and a drag
// (XDND) arrives; it takes no drop itself.
class X11InputStrip : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // `rect` in device-independent pixels on a display of `devicePixelRatio`.
    X11InputStrip(const QRect &rect, qreal devicePixelRatio, QObject *parent = nullptr);
    ~X11InputStrip() override;

    // False off X11: the strip does not exist.
    bool exists() const { return m_window != XCB_NONE; }
    xcb_window_t window() const { return m_window; }
    // Puts it back above windows raised since.
    void raise();
    // A hidden strip takes nothing: the pointer and drags reach what lies below.
    void setShown(bool shown);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void entered();
    void left();
    void pressed();
    void dragEntered();

private:
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
