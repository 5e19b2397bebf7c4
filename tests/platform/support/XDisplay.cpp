#include "XDisplay.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply> std::unique_ptr<Reply, decltype(&std::free)> owned(Reply *reply)
{
    return {reply, &std::free};
}

quint32 numberAt(const void *data)
{
    quint32 value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

} // namespace

XDisplay::XDisplay()
    : m_connection(xcb_connect(nullptr, &m_screen))
{}

XDisplay::~XDisplay()
{
    xcb_disconnect(m_connection);
}

bool XDisplay::isOpen() const
{
    return xcb_connection_has_error(m_connection) == 0;
}

bool XDisplay::hasTray()
{
    const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S" + QByteArray::number(m_screen));
    const auto reply = owned(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
    return reply && reply->owner != XCB_NONE;
}

QList<qint64> XDisplay::trayIconPids()
{
    QList<qint64> pids;
    visit(root(), false, [&](quint32 window, bool insideTray) {
        const QByteArray pid = insideTray ? property(window, "_NET_WM_PID") : QByteArray();
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        if (pid.size() == 4 && attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            showsSeveralColours(window))
            pids.append(numberAt(pid.constData()));
    });
    return pids;
}

std::optional<QPoint> XDisplay::trayIconCentre(qint64 pid)
{
    std::optional<QPoint> centre;
    visit(root(), false, [&](quint32 window, bool insideTray) {
        const QByteArray owner = insideTray ? property(window, "_NET_WM_PID") : QByteArray();
        if (centre || owner.size() != 4 || numberAt(owner.constData()) != pid)
            return;
        const auto geometry =
            owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        const auto onRoot = owned(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, root(), 0, 0), nullptr));
        if (geometry && onRoot)
            centre = QPoint(onRoot->dst_x + geometry->width / 2, onRoot->dst_y + geometry->height / 2);
    });
    return centre;
}

int XDisplay::windowsTitled(const QByteArray &title, int minWidth)
{
    int found = 0;
    visit(root(), false, [&](quint32 window, bool) {
        const auto geometry =
            owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        if (geometry && geometry->width >= minWidth && property(window, "WM_NAME") == title)
            ++found;
    });
    return found;
}

bool XDisplay::hasState(quint32 window, const QByteArray &state)
{
    const QByteArray states = property(window, "_NET_WM_STATE");
    for (qsizetype i = 0; i + 4 <= states.size(); i += 4) {
        if (numberAt(states.constData() + i) == atom(state))
            return true;
    }
    return false;
}

bool XDisplay::listedInTaskbar(quint32 window)
{
    const QByteArray clients = property(root(), "_NET_CLIENT_LIST");
    for (qsizetype i = 0; i + 4 <= clients.size(); i += 4) {
        if (numberAt(clients.constData() + i) == window)
            return !hasState(window, "_NET_WM_STATE_SKIP_TASKBAR");
    }
    return false;
}

quint32 XDisplay::root()
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screen; ++i)
        xcb_screen_next(&screens);
    return screens.data->root;
}

quint32 XDisplay::atom(const QByteArray &name)
{
    const auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, quint16(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_NONE);
}

QByteArray XDisplay::property(quint32 window, const QByteArray &name)
{
    const auto reply = owned(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr));
    return reply ? QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                              xcb_get_property_value_length(reply.get()))
                 : QByteArray();
}

// The rig's Xvfb runs at depth 24 with 32 bits a pixel.
bool XDisplay::showsSeveralColours(quint32 window)
{
    const auto geometry =
        owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    const auto image =
        owned(geometry ? xcb_get_image_reply(m_connection,
                                             xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0,
                                                           0, geometry->width, geometry->height, ~0u),
                                             nullptr)
                       : nullptr);
    if (!image || image->depth != 24)
        return false;
    const uint8_t *data = xcb_get_image_data(image.get());
    for (int i = 1; i < xcb_get_image_data_length(image.get()) / 4; ++i) {
        if ((numberAt(data + 4 * i) & 0xffffffu) != (numberAt(data) & 0xffffffu))
            return true;
    }
    return false;
}

// `window` and every window below it; a window is inside the tray when an
// ancestor is trayer's (WM_CLASS "instance\0class\0").
void XDisplay::visit(quint32 window, bool insideTray, const std::function<void(quint32, bool)> &each)
{
    each(window, insideTray);
    const QList<QByteArray> wmClass = property(window, "WM_CLASS").split('\0');
    insideTray =
        insideTray || (wmClass.size() >= 2 && wmClass.at(1).compare("trayer", Qt::CaseInsensitive) == 0);
    const auto tree =
        owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i)
        visit(xcb_query_tree_children(tree.get())[i], insideTray, each);
}
