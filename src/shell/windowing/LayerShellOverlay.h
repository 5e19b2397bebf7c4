#pragma once

#include "Overlay.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <array>
#include <memory>

class QSocketNotifier;
class QWidget;
struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_pointer;
struct wl_proxy;
struct wl_seat;
struct wl_shm;
struct wl_surface;

// An overlay on a Wayland compositor with layer-shell (KWin, wlroots),
// beside an application that runs on XWayland: a connection of its own
// carries one layer surface in the overlay layer, pinned to the top edge
// where the widget asks to be, without keyboard. The widget is never mapped
// on X; every frame it paints is copied into shared memory for the surface,
// and presses the compositor sends within the input region are handed to it.
// It must not outlive its widget.
class LayerShellOverlay : public QObject, public Overlay {
    Q_OBJECT
public:
    // Nothing unless Tarnwick runs on XWayland beside a compositor offering layer-shell.
    static std::unique_ptr<LayerShellOverlay> connect(QWidget &widget);
    ~LayerShellOverlay() override;

    void setInputRegion(const QRegion &region) override;
    void show() override;
    bool lacksCompositor() const override { return false; }

    // Globals the compositor announced; public for the registry's callbacks.
    struct Globals {
        wl_compositor *compositor = nullptr;
        wl_shm *shm = nullptr;
        wl_seat *seat = nullptr;
        wl_proxy *layerShell = nullptr;
    };
    // Called from the protocol's callbacks.
    void configured(uint32_t serial);
    void released(wl_buffer *buffer);
    void seatChanged(uint32_t capabilities);
    // The pointer entered `surface` (nothing: it left) or moved over it.
    void pointerEntered(wl_surface *surface, double x, double y);
    void pointerMoved(double x, double y);
    void pressed(uint32_t button, uint32_t state);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Buffer {
        wl_buffer *buffer = nullptr;
        QImage image;
        bool busy = false;
    };

    LayerShellOverlay(QWidget &widget, wl_display *display, const Globals &globals);
    void readEvents();
    void flush();
    void place();
    void present();
    Buffer *freeBuffer();
    void dropBuffers();

    QWidget &m_widget;
    wl_display *m_display;
    Globals m_globals;
    QSocketNotifier *m_notifier = nullptr;
    wl_surface *m_surface = nullptr;
    wl_proxy *m_layerSurface = nullptr;
    wl_pointer *m_pointer = nullptr;
    std::array<Buffer, 2> m_buffers;
    uchar *m_memory = nullptr;
    qsizetype m_memorySize = 0;
    QRect m_placed;
    bool m_configured = false;
    bool m_painting = false;
    bool m_presentQueued = false;
    bool m_presentWhenReleased = false;
    bool m_pointerOnSurface = false;
    QPoint m_pointerAt;
    QPointer<QWidget> m_pressTarget;
};
