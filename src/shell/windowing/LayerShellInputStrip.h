#pragma once

#include "InputStrip.h"

#include <QWidget>

class LayerShellOverlay;

// The strip as a transparent layer surface: the compositor hands it the
// pointer over native Wayland windows too. Drags between Wayland clients
// never reach it (that would need a data device of its own).
class LayerShellInputStrip : public InputStrip {
    Q_OBJECT
public:
    // Nothing when the compositor offers no layer-shell.
    static std::unique_ptr<LayerShellInputStrip> connect(const QRect &rect);
    ~LayerShellInputStrip() override;

    void setShown(bool shown) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LayerShellInputStrip() = default;

    // Declared before the overlay, which must not outlive it.
    QWidget m_widget;
    std::unique_ptr<LayerShellOverlay> m_overlay;
};
