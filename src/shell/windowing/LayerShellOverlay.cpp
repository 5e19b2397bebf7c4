#include "LayerShellOverlay.h"

#include "Log.h"
#include "WindowSystem.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QWidget>

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <wayland-client.h>

namespace {

// wlr-layer-shell-unstable-v1, version 1, described here rather than
// generated: Debian 12 packages no XML of it. Requests keep their opcodes;
// get_popup is never sent.
const wl_interface *noTypes[5] = {};
extern const wl_interface layerSurfaceInterface;
const wl_interface *getLayerSurfaceTypes[] = {&layerSurfaceInterface, &wl_surface_interface,
                                              &wl_output_interface, nullptr, nullptr};
const wl_message layerShellRequests[] = {{"get_layer_surface", "no?ous", getLayerSurfaceTypes}};
const wl_interface layerShellInterface = {"zwlr_layer_shell_v1", 1, 1, layerShellRequests, 0, nullptr};
const wl_message layerSurfaceRequests[] = {
    {"set_size", "uu", noTypes},
    {"set_anchor", "u", noTypes},
    {"set_exclusive_zone", "i", noTypes},
    {"set_margin", "iiii", noTypes},
    {"set_keyboard_interactivity", "u", noTypes},
    {"get_popup", "o", noTypes},
    {"ack_configure", "u", noTypes},
    {"destroy", "", noTypes},
};
const wl_message layerSurfaceEvents[] = {{"configure", "uuu", noTypes}, {"closed", "", noTypes}};
const wl_interface layerSurfaceInterface = {"zwlr_layer_surface_v1", 1, 8,
                                            layerSurfaceRequests,    2, layerSurfaceEvents};

enum LayerShellRequest : uint32_t { GetLayerSurface = 0 };
enum LayerSurfaceRequest : uint32_t {
    SetSize = 0,
    SetAnchor = 1,
    SetExclusiveZone = 2,
    SetMargin = 3,
    SetKeyboardInteractivity = 4,
    AckConfigure = 6,
    Destroy = 7,
};
constexpr uint32_t overlayLayer = 3;
constexpr uint32_t anchorTop = 1;
constexpr uint32_t anchorLeft = 4;

struct LayerSurfaceListener {
    void (*configure)(void *, wl_proxy *, uint32_t, uint32_t, uint32_t);
    void (*closed)(void *, wl_proxy *);
};

LayerShellOverlay *overlayOf(void *data)
{
    return static_cast<LayerShellOverlay *>(data);
}

const LayerSurfaceListener layerSurfaceListener = {
    [](void *data, wl_proxy *, uint32_t serial, uint32_t, uint32_t) { overlayOf(data)->configured(serial); },
    [](void *, wl_proxy *) {},
};

const wl_buffer_listener bufferListener = {
    [](void *data, wl_buffer *buffer) { overlayOf(data)->released(buffer); },
};

const wl_seat_listener seatListener = {
    [](void *data, wl_seat *, uint32_t capabilities) { overlayOf(data)->seatChanged(capabilities); },
    [](void *, wl_seat *, const char *) {},
};

wl_pointer_listener makePointerListener()
{
    wl_pointer_listener listener{};
    listener.enter = [](void *data, wl_pointer *, uint32_t, wl_surface *surface, wl_fixed_t x, wl_fixed_t y) {
        overlayOf(data)->pointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    };
    listener.leave = [](void *data, wl_pointer *, uint32_t, wl_surface *) {
        overlayOf(data)->pointerEntered(nullptr, 0, 0);
    };
    // Motion carries no surface: it is over the one entered last.
    listener.motion = [](void *data, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        overlayOf(data)->pointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
    };
    listener.button = [](void *data, wl_pointer *, uint32_t, uint32_t, uint32_t button, uint32_t state) {
        overlayOf(data)->pressed(button, state);
    };
    listener.axis = [](void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {};
    return listener;
}

const wl_pointer_listener pointerListener = makePointerListener();

void announced(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<LayerShellOverlay::Globals *>(data);
    const auto bind = [&](const wl_interface &kind) { return wl_registry_bind(registry, name, &kind, 1); };
    if (!globals->compositor && std::strcmp(interface, wl_compositor_interface.name) == 0)
        globals->compositor = static_cast<wl_compositor *>(bind(wl_compositor_interface));
    else if (!globals->shm && std::strcmp(interface, wl_shm_interface.name) == 0)
        globals->shm = static_cast<wl_shm *>(bind(wl_shm_interface));
    else if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        globals->seat = static_cast<wl_seat *>(bind(wl_seat_interface));
    else if (!globals->layerShell && std::strcmp(interface, layerShellInterface.name) == 0)
        globals->layerShell = static_cast<wl_proxy *>(bind(layerShellInterface));
}

const wl_registry_listener registryListener = {announced, [](void *, wl_registry *, uint32_t) {}};

void destroyGlobals(const LayerShellOverlay::Globals &globals)
{
    if (globals.compositor)
        wl_compositor_destroy(globals.compositor);
    if (globals.shm)
        wl_shm_destroy(globals.shm);
    if (globals.seat)
        wl_seat_destroy(globals.seat);
    if (globals.layerShell)
        wl_proxy_destroy(globals.layerShell);
}

} // namespace

std::unique_ptr<LayerShellOverlay> LayerShellOverlay::connect(QWidget &widget)
{
    // XWayland hands the compositor a whole window, clicks beside its input
    // shape too; a layer surface takes only its input region. On X11 itself
    // the X window is all there is.
    if (WindowSystem::current() != WindowSystem::Kind::XWayland ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    if (!answered || !globals.compositor || !globals.shm || !globals.layerShell) {
        destroyGlobals(globals);
        wl_display_disconnect(display);
        return nullptr;
    }
    return std::unique_ptr<LayerShellOverlay>(new LayerShellOverlay(widget, display, globals));
}

LayerShellOverlay::LayerShellOverlay(QWidget &widget, wl_display *display, const Globals &globals)
    : m_widget(widget)
    , m_display(display)
    , m_globals(globals)
{
    // Qt still makes the X window, but never maps it: the layer surface shows the widget.
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.installEventFilter(this);
    if (m_globals.seat)
        wl_seat_add_listener(m_globals.seat, &seatListener, this);
    m_surface = wl_compositor_create_surface(m_globals.compositor);
    m_layerSurface =
        wl_proxy_marshal_constructor(m_globals.layerShell, GetLayerSurface, &layerSurfaceInterface, nullptr,
                                     m_surface, nullptr, overlayLayer, "tarnwick");
    wl_proxy_add_listener(
        m_layerSurface,
        reinterpret_cast<void (**)(void)>(const_cast<LayerSurfaceListener *>(&layerSurfaceListener)), this);
    m_notifier = new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &LayerShellOverlay::readEvents);
    setInputRegion({});
}

LayerShellOverlay::~LayerShellOverlay()
{
    delete m_notifier;
    m_widget.removeEventFilter(this);
    dropBuffers();
    if (m_pointer)
        wl_pointer_destroy(m_pointer);
    wl_proxy_marshal(m_layerSurface, Destroy);
    wl_proxy_destroy(m_layerSurface);
    wl_surface_destroy(m_surface);
    destroyGlobals(m_globals);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void LayerShellOverlay::setInputRegion(const QRegion &region)
{
    wl_region *input = wl_compositor_create_region(m_globals.compositor);
    for (const QRect &rect : region)
        wl_region_add(input, rect.x(), rect.y(), rect.width(), rect.height());
    wl_surface_set_input_region(m_surface, input);
    wl_region_destroy(input);
    // Before the first configure a commit would only repeat the initial one.
    if (m_configured)
        wl_surface_commit(m_surface);
    flush();
}

void LayerShellOverlay::show()
{
    if (!m_widget.isVisible())
        m_widget.show();
    if (m_placed != m_widget.geometry())
        place();
}

void LayerShellOverlay::place()
{
    m_placed = m_widget.geometry();
    const QScreen *screen = m_widget.screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    wl_proxy_marshal(m_layerSurface, SetSize, uint32_t(m_placed.width()), uint32_t(m_placed.height()));
    wl_proxy_marshal(m_layerSurface, SetAnchor, anchorTop | anchorLeft);
    wl_proxy_marshal(m_layerSurface, SetMargin, m_placed.top() - origin.y(), 0, 0,
                     m_placed.left() - origin.x());
    // Over the top edge itself, whatever panel reserves it.
    wl_proxy_marshal(m_layerSurface, SetExclusiveZone, -1);
    wl_proxy_marshal(m_layerSurface, SetKeyboardInteractivity, 0u);
    dropBuffers();
    m_configured = false;
    wl_surface_attach(m_surface, nullptr, 0, 0);
    wl_surface_commit(m_surface);
    flush();
}

void LayerShellOverlay::configured(uint32_t serial)
{
    wl_proxy_marshal(m_layerSurface, AckConfigure, serial);
    m_configured = true;
    present();
}

bool LayerShellOverlay::eventFilter(QObject *watched, QEvent *event)
{
    // Every repaint of the widget or its children passes its top level's update request.
    if (watched == &m_widget && !m_painting && !m_presentQueued &&
        (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Show)) {
        m_presentQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_presentQueued = false;
                present();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void LayerShellOverlay::present()
{
    if (!m_configured || !m_widget.isVisible())
        return;
    Buffer *buffer = freeBuffer();
    if (!buffer) {
        m_presentWhenReleased = true;
        return;
    }
    buffer->image.fill(Qt::transparent);
    m_painting = true;
    m_widget.render(&buffer->image, QPoint(), QRegion(), QWidget::DrawChildren);
    m_painting = false;
    buffer->busy = true;
    wl_surface_attach(m_surface, buffer->buffer, 0, 0);
    wl_surface_damage(m_surface, 0, 0, buffer->image.width(), buffer->image.height());
    wl_surface_commit(m_surface);
    flush();
}

LayerShellOverlay::Buffer *LayerShellOverlay::freeBuffer()
{
    const QSize size = m_placed.size();
    if (size.isEmpty())
        return nullptr;
    if (!m_memory) {
        const int stride = size.width() * 4;
        const qsizetype bytes = qsizetype(stride) * size.height();
        const int fd = memfd_create("tarnwick-overlay", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(bytes * 2)) != 0) {
            qCWarning(lcHalo) << "no shared memory for the overlay:" << std::strerror(errno);
            if (fd >= 0)
                close(fd);
            return nullptr;
        }
        void *memory = mmap(nullptr, size_t(bytes * 2), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory == MAP_FAILED) {
            close(fd);
            return nullptr;
        }
        m_memory = static_cast<uchar *>(memory);
        m_memorySize = bytes * 2;
        wl_shm_pool *pool = wl_shm_create_pool(m_globals.shm, fd, int32_t(bytes * 2));
        for (int i = 0; i < 2; ++i) {
            Buffer &buffer = m_buffers.at(size_t(i));
            buffer.buffer = wl_shm_pool_create_buffer(pool, int32_t(bytes * i), size.width(), size.height(),
                                                      stride, WL_SHM_FORMAT_ARGB8888);
            wl_buffer_add_listener(buffer.buffer, &bufferListener, this);
            // Little-endian ARGB8888 is Qt's premultiplied ARGB32.
            buffer.image = QImage(m_memory + bytes * i, size.width(), size.height(), stride,
                                  QImage::Format_ARGB32_Premultiplied);
            buffer.busy = false;
        }
        wl_shm_pool_destroy(pool);
        close(fd);
    }
    for (Buffer &buffer : m_buffers) {
        if (!buffer.busy)
            return &buffer;
    }
    return nullptr;
}

void LayerShellOverlay::released(wl_buffer *released)
{
    for (Buffer &buffer : m_buffers) {
        if (buffer.buffer == released)
            buffer.busy = false;
    }
    if (std::exchange(m_presentWhenReleased, false))
        present();
}

void LayerShellOverlay::dropBuffers()
{
    for (Buffer &buffer : m_buffers) {
        if (buffer.buffer)
            wl_buffer_destroy(buffer.buffer);
        buffer = Buffer();
    }
    if (m_memory)
        munmap(m_memory, size_t(m_memorySize));
    m_memory = nullptr;
    m_memorySize = 0;
}

void LayerShellOverlay::seatChanged(uint32_t capabilities)
{
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_globals.seat);
        wl_pointer_add_listener(m_pointer, &pointerListener, this);
    } else if (!hasPointer && m_pointer) {
        wl_pointer_destroy(m_pointer);
        m_pointer = nullptr;
    }
    flush();
}

void LayerShellOverlay::pointerEntered(wl_surface *surface, double x, double y)
{
    const bool wasOnSurface = std::exchange(m_pointerOnSurface, surface && surface == m_surface);
    pointerMoved(x, y);
    if (m_pointerOnSurface == wasOnSurface)
        return;
    // The widget is never mapped on X, so Qt sends it no crossings of its own.
    if (m_pointerOnSurface) {
        const QPointF at(m_pointerAt);
        QEnterEvent enter(at, at, m_widget.mapToGlobal(at));
        QApplication::sendEvent(&m_widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&m_widget, &leave);
    }
}

void LayerShellOverlay::pointerMoved(double x, double y)
{
    m_pointerAt = QPointF(x, y).toPoint();
}

void LayerShellOverlay::pressed(uint32_t button, uint32_t state)
{
    if (!m_pointerOnSurface || button != BTN_LEFT)
        return;
    const bool press = state == WL_POINTER_BUTTON_STATE_PRESSED;
    if (press) {
        QWidget *under = m_widget.childAt(m_pointerAt);
        m_pressTarget = under ? under : &m_widget;
    }
    QWidget *target = m_pressTarget;
    if (!target)
        return;
    const QPointF local = target->mapFrom(&m_widget, QPointF(m_pointerAt));
    QMouseEvent event(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, local,
                      m_widget.mapToGlobal(QPointF(m_pointerAt)), Qt::LeftButton,
                      press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void LayerShellOverlay::readEvents()
{
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0) {
        qCWarning(lcHalo) << "the compositor closed the overlay's connection";
        m_notifier->setEnabled(false);
        return;
    }
    flush();
}

void LayerShellOverlay::flush()
{
    wl_display_flush(m_display);
}
