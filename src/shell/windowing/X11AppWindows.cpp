#include "X11AppWindows.h"

#include "X11Connection.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/res.h>

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> Owned<Reply> own(Reply *reply)
{
    return Owned<Reply>(reply, &std::free);
}

xcb_get_property_cookie_t ask(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                              xcb_atom_t type, uint32_t longs = 1024)
{
    return xcb_get_property(connection, 0, window, property, type, 0, longs);
}

// The property's 32-bit values; empty when it is missing or of another type.
std::vector<uint32_t> values(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = own(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

// WM_CLASS is "instance\0class\0": the class is the second string.
QString windowClass(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = own(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 8)
        return {};
    const QByteArray text(static_cast<const char *>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    const QList<QByteArray> parts = text.split('\0');
    return parts.size() > 1 ? QString::fromUtf8(parts.at(1)) : QString();
}

// A request of a missing extension would close the connection.
bool hasXRes(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_res_id);
    return extension && extension->present;
}

xcb_res_query_client_ids_cookie_t askPid(xcb_connection_t *connection, xcb_window_t window)
{
    if (!hasXRes(connection))
        return {0};
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return xcb_res_query_client_ids(connection, 1, &spec);
}

// The pid of the client that made the window, when it runs on this machine.
qint32 serverPid(xcb_connection_t *connection, xcb_res_query_client_ids_cookie_t cookie)
{
    if (cookie.sequence == 0)
        return 0;
    const auto reply = own(xcb_res_query_client_ids_reply(connection, cookie, nullptr));
    if (!reply)
        return 0;
    for (auto id = xcb_res_query_client_ids_ids_iterator(reply.get()); id.rem > 0;
         xcb_res_client_id_value_next(&id)) {
        if ((id.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && id.data->length >= 4)
            return qint32(*xcb_res_client_id_value_value(id.data));
    }
    return 0;
}

bool contains(const std::vector<uint32_t> &atoms, xcb_atom_t atom)
{
    return atom != XCB_NONE && std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

} // namespace

namespace {

// The atoms X11AppWindows uses, in the order of their names below.
enum AtomName {
    ClientList,
    WmPid,
    WindowType,
    WindowState,
    TypeNormal,
    TypeDesktop,
    TypeDock,
    SkipTaskbar,
    SupportingWmCheck
};
const QList<QByteArray> atomNames{"_NET_CLIENT_LIST",           "_NET_WM_PID",
                                  "_NET_WM_WINDOW_TYPE",        "_NET_WM_STATE",
                                  "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DESKTOP",
                                  "_NET_WM_WINDOW_TYPE_DOCK",   "_NET_WM_STATE_SKIP_TASKBAR",
                                  "_NET_SUPPORTING_WM_CHECK"};

} // namespace

xcb_atom_t X11AppWindows::atom(int which) const
{
    if (m_atoms.empty() || std::find(m_atoms.begin(), m_atoms.end(), XCB_NONE) != m_atoms.end())
        m_atoms = X11Connection::atoms(atomNames);
    return m_atoms.at(size_t(which));
}

QList<AppWindows::Window> X11AppWindows::windows() const
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return {};
    const std::vector<uint32_t> clients =
        values(connection,
               ask(connection, X11Connection::root(), atom(ClientList), XCB_ATOM_WINDOW, UINT32_MAX / 4));

    // Every request first, then every reply: one round trip for all windows.
    struct Asked {
        xcb_get_property_cookie_t type, state, wmClass, transientFor;
        xcb_res_query_client_ids_cookie_t serverPid;
    };
    std::vector<Asked> asked;
    asked.reserve(clients.size());
    for (const uint32_t window : clients) {
        asked.push_back({ask(connection, window, atom(WindowType), XCB_ATOM_ATOM),
                         ask(connection, window, atom(WindowState), XCB_ATOM_ATOM),
                         ask(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING),
                         ask(connection, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW),
                         askPid(connection, window)});
    }
    QList<Window> found;
    std::vector<size_t> unknownPids;
    for (size_t i = 0; i < clients.size(); ++i) {
        Window window;
        window.id = clients[i];
        const std::vector<uint32_t> types = values(connection, asked[i].type);
        const std::vector<uint32_t> states = values(connection, asked[i].state);
        window.windowClass = windowClass(connection, asked[i].wmClass);
        const bool transient = !values(connection, asked[i].transientFor).empty();
        // The server's answer cannot be forged by the client; the property can.
        window.pid = serverPid(connection, asked[i].serverPid);
        if (window.pid <= 0)
            unknownPids.push_back(i);
        if (contains(types, atom(TypeDesktop)) || contains(types, atom(TypeDock)))
            window.kind = Kind::Shell;
        else if (((types.empty() && !transient) || (!types.empty() && types.front() == atom(TypeNormal))) &&
                 !contains(states, atom(SkipTaskbar)))
            window.kind = Kind::Normal;
        found.append(window);
    }
    // Only clients the server cannot tell (remote ones, or no X-Resource) are asked for their own word.
    std::vector<xcb_get_property_cookie_t> claimed;
    for (const size_t i : unknownPids)
        claimed.push_back(ask(connection, clients[i], atom(WmPid), XCB_ATOM_CARDINAL));
    for (size_t k = 0; k < unknownPids.size(); ++k) {
        const std::vector<uint32_t> pid = values(connection, claimed[k]);
        found[qsizetype(unknownPids[k])].pid = pid.empty() ? 0 : qint32(pid.front());
    }
    return found;
}

qint32 X11AppWindows::windowManagerPid() const
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return 0;
    const std::vector<uint32_t> check = values(
        connection, ask(connection, X11Connection::root(), atom(SupportingWmCheck), XCB_ATOM_WINDOW, 1));
    return check.empty() ? 0 : serverPid(connection, askPid(connection, check.front()));
}

namespace {

// A request to the window manager about a window, on the user's behalf.
void askWindowManager(quint32 window, const QByteArray &request)
{
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = X11Connection::atom(request);
    message.data.data32[0] = request == "_NET_ACTIVE_WINDOW" ? 2 : XCB_CURRENT_TIME;
    message.data.data32[1] = request == "_NET_ACTIVE_WINDOW" ? XCB_CURRENT_TIME : 2;
    xcb_send_event(connection, 0, X11Connection::root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

} // namespace

// Both name a pager-like tool as the source (2), which window managers obey
// without the focus-stealing checks meant for applications.
void X11AppWindows::close(quint32 window)
{
    askWindowManager(window, "_NET_CLOSE_WINDOW");
}

void X11AppWindows::activate(quint32 window)
{
    askWindowManager(window, "_NET_ACTIVE_WINDOW");
}
