#pragma once

#include <QObject>
#include <QRect>

#include <memory>

// An invisible strip that takes the pointer only over its own rectangle:
// what lies below stays visible, and a desktop panel under it still gets
// every click beside and below it. It tells when the pointer enters and
// leaves, a button is pressed and a drag arrives; it takes no drop itself.
class InputStrip : public QObject {
    Q_OBJECT
public:
    // `rect` in device-independent pixels on a display of `devicePixelRatio`.
    // A layer surface where the Wayland compositor offers layer-shell (there
    // an X window would see the pointer only over X windows), an input-only
    // X window otherwise; nothing without a window system to ask.
    static std::unique_ptr<InputStrip> make(const QRect &rect, qreal devicePixelRatio);

    // A hidden strip takes nothing: the pointer and drags reach what lies below.
    virtual void setShown(bool shown) = 0;

Q_SIGNALS:
    void entered();
    void left();
    void pressed();
    void dragEntered();
};
