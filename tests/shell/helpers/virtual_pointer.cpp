// A pointer for a headless wlroots compositor, whose seat has none: a virtual
// pointer device (wlr-virtual-pointer-unstable-v1) that lives as long as this
// process. While it lives clients bind the seat's pointer, so `swaymsg seat
// seat0 cursor ...` moves and clicks a real one. Prints "ready" once the
// compositor has made the device, then runs until its input closes.
#include <wayland-client.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// The protocol's two interfaces, described here rather than generated: only
// the request sent needs its signature, the others keep the opcodes in place.
const wl_interface *noTypes[5] = {};
const wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},   {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},   {"axis", "uuf", noTypes},
    {"frame", "", noTypes},       {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes}, {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes},
};
const wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr};
const wl_interface *createTypes[] = {&wl_seat_interface, &pointerInterface};
const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes},
                                      {"destroy", "", noTypes}};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, managerRequests, 0, nullptr};

struct Globals {
    wl_seat *seat = nullptr;
    wl_proxy *manager = nullptr;
};

void announced(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, managerInterface.name) == 0)
        globals->manager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &managerInterface, 1));
}

void removed(void *, wl_registry *, uint32_t)
{}

const wl_registry_listener registryListener = {announced, removed};

} // namespace

int main()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        std::fprintf(stderr, "the compositor offers no seat or no virtual pointers\n");
        return 1;
    }
    wl_proxy_marshal_constructor(globals.manager, 0, &pointerInterface, globals.seat, nullptr);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);

    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(display), POLLIN, 0}};
    char buffer[256];
    while (poll(watched, 2, -1) > 0) {
        if (watched[0].revents && read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            break;
        if (watched[1].revents && wl_display_dispatch(display) < 0)
            break;
    }
    wl_display_disconnect(display);
    return 0;
}
