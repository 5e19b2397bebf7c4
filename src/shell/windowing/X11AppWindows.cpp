#include "X11AppWindows.h"

#include "X11Connection.h"

#include <QHash>

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

// One X-Resource request for the clients of all the windows.
xcb_res_query_client_ids_cookie_t askPids(xcb_connection_t *connection, const std::vector<uint32_t> &windows)
{
    if (!hasXRes(connection) || windows.empty())
        return {0};
    std::vector<xcb_res_client_id_spec_t> specs;
    specs.reserve(windows.size());
    for (const uint32_t window : windows)
        specs.push_back({window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
    return xcb_res_query_client_ids(connection, uint32_t(specs.size()), specs.data());
}

// The pid of each client that runs on this machine, by the client's part of
// a resource id: the server answers per client, not per window asked about.
QHash<uint32_t, qint32> clientPids(xcb_connection_t *connection, xcb_res_query_client_ids_cookie_t cookie)
{
    QHash<uint32_t, qint32> pids;
    if (cookie.sequence == 0)
        return pids;
    const auto reply = own(xcb_res_query_client_ids_reply(connection, cookie, nullptr));
    if (!reply)
        return pids;
    const uint32_t idMask = xcb_get_setup(connection)->resource_id_mask;
    for (auto id = xcb_res_query_client_ids_ids_iterator(reply.get()); id.rem > 0;
         xcb_res_client_id_value_next(&id)) {
        if ((id.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && id.data->length >= 4)
            pids.insert(id.data->spec.client & ~idMask, qint32(*xcb_res_client_id_value_value(id.data)));
    }
    return pids;
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
    const xcb_window_t root = X11Connection::root();
    const xcb_get_property_cookie_t clientList =
        ask(connection, root, atom(ClientList), XCB_ATOM_WINDOW, UINT32_MAX / 4);
    const xcb_get_property_cookie_t wmCheck =
        ask(connection, root, atom(SupportingWmCheck), XCB_ATOM_WINDOW, 1);
    const std::vector<uint32_t> clients = values(connection, clientList);
    const std::vector<uint32_t> check = values(connection, wmCheck);

    // Every request first, then every reply: one round trip for all windows.
    struct Asked {
        xcb_get_property_cookie_t type, state, wmClass, transientFor;
    };
    std::vector<Asked> asked;
    asked.reserve(clients.size());
    for (const uint32_t window : clients) {
        asked.push_back({ask(connection, window, atom(WindowType), XCB_ATOM_ATOM),
                         ask(connection, window, atom(WindowState), XCB_ATOM_ATOM),
                         ask(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING),
                         ask(connection, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW)});
    }
    std::vector<uint32_t> everyWindow = clients;
    everyWindow.insert(everyWindow.end(), check.begin(), check.end());
    const xcb_res_query_client_ids_cookie_t pidsAsked = askPids(connection, everyWindow);

    QList<Window> found;
    for (size_t i = 0; i < clients.size(); ++i) {
        Window window;
        window.id = clients[i];
        const std::vector<uint32_t> types = values(connection, asked[i].type);
        const std::vector<uint32_t> states = values(connection, asked[i].state);
        window.windowClass = windowClass(connection, asked[i].wmClass);
        const bool transient = !values(connection, asked[i].transientFor).empty();
        if (contains(types, atom(TypeDesktop)) || contains(types, atom(TypeDock)))
            window.kind = Kind::Shell;
        else if (((types.empty() && !transient) || (!types.empty() && types.front() == atom(TypeNormal))) &&
                 !contains(states, atom(SkipTaskbar)))
            window.kind = Kind::Normal;
        found.append(window);
    }
    // The window manager's own window: whatever its process shows belongs to the desktop.
    if (!check.empty())
        found.append({check.front(), 0, {}, Kind::Shell});

    // The server's answer cannot be forged by the client; the property can.
    const QHash<uint32_t, qint32> pids = clientPids(connection, pidsAsked);
    const uint32_t idMask = xcb_get_setup(connection)->resource_id_mask;
    std::vector<qsizetype> unknownPids;
    for (qsizetype i = 0; i < found.size(); ++i) {
        found[i].pid = pids.value(found[i].id & ~idMask);
        if (found[i].pid <= 0)
            unknownPids.push_back(i);
    }
    // Only clients the server cannot tell (remote ones, or no X-Resource) are asked for their own word.
    std::vector<xcb_get_property_cookie_t> claimed;
    for (const qsizetype i : unknownPids)
        claimed.push_back(ask(connection, found[i].id, atom(WmPid), XCB_ATOM_CARDINAL));
    for (size_t k = 0; k < unknownPids.size(); ++k) {
        const std::vector<uint32_t> pid = values(connection, claimed[k]);
        found[unknownPids[k]].pid = pid.empty() ? 0 : qint32(pid.front());
    }
    return found;
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
