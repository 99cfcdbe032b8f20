// A Wayland client of the GNOME tests: a full-screen window showing TestPicture one buffer
// pixel per screen pixel, which prints "shown WIDTH HEIGHT" once the compositor has drawn it,
// then a line for each pointer motion and touch it gets, in surface coordinates: "motion X Y",
// "down X Y", "up". Runs until it is ended.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "gnome/test_picture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_proxy.h"
#include "platform/wayland/wayland_shm_buffer.h"
#include "xdg-shell-client-protocol.h"

namespace {

using glimtap::platform::Proxy;

template <typename... A>
void Ignore(void*, A...) {}

void Say(const char* format, double x = 0, double y = 0) {
    std::printf(format, x, y);
    std::fflush(stdout);
}

struct Client {
    glimtap::platform::WaylandConnection connection;  // throws when no compositor answers
    Proxy<xdg_wm_base> wmBase;
    Proxy<wl_pointer> pointer;
    Proxy<wl_touch> touch;
    Proxy<wl_surface> surface;
    std::unique_ptr<glimtap::platform::WaylandShmBuffer> buffer;
    int32_t width = 0, height = 0;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, "xdg_wm_base") != 0) return;
    static_cast<Client*>(data)->wmBase.reset(
        static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1)));
}

const wl_pointer_listener kPointer{
    .enter = [](void*, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        Say("motion %g %g\n", wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    .leave = Ignore,
    .motion = [](void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Say("motion %g %g\n", wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    .button = Ignore, .axis = Ignore, .frame = Ignore, .axis_source = Ignore, .axis_stop = Ignore,
    .axis_discrete = Ignore, .axis_value120 = Ignore,
};

const wl_touch_listener kTouch{
    .down = [](void*, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t x, wl_fixed_t y) {
        Say("down %g %g\n", wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    .up = [](void*, wl_touch*, uint32_t, uint32_t, int32_t) { Say("up\n"); },
    .motion = Ignore, .frame = Ignore, .cancel = Ignore, .shape = Ignore, .orientation = Ignore,
};

// The devices come and go with the remote-desktop sessions that make them.
void Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    auto& c = *static_cast<Client*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0) c.pointer.reset();
    if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) == 0) c.touch.reset();
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && !c.pointer) {
        c.pointer.reset(wl_seat_get_pointer(seat));
        wl_pointer_add_listener(c.pointer.get(), &kPointer, &c);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0 && !c.touch) {
        c.touch.reset(wl_seat_get_touch(seat));
        wl_touch_add_listener(c.touch.get(), &kTouch, &c);
    }
}

void Paint(Client& c) {
    c.buffer = glimtap::platform::WaylandShmBuffer::Create(c.connection.Shm(), c.width, c.height,
                                                           c.width * 4, WL_SHM_FORMAT_XRGB8888);
    if (c.buffer == nullptr) return;
    auto* pixels = reinterpret_cast<uint32_t*>(c.buffer->Data());
    for (int32_t y = 0; y < c.height; ++y) {
        for (int32_t x = 0; x < c.width; ++x) pixels[y * c.width + x] = glimtap::test::TestPicture(x, y);
    }
    wl_surface_attach(c.surface.get(), c.buffer->Buffer(), 0, 0);
    wl_surface_damage_buffer(c.surface.get(), 0, 0, c.width, c.height);
    static const wl_callback_listener kDrawn{[](void* d, wl_callback* callback, uint32_t) {
        const auto& drawn = *static_cast<Client*>(d);
        Say("shown %g %g\n", drawn.width, drawn.height);
        wl_callback_destroy(callback);
    }};
    wl_callback_add_listener(wl_surface_frame(c.surface.get()), &kDrawn, &c);
}

}  // namespace

int main() {
    Client c;
    wl_display* display = c.connection.Display();
    static const wl_registry_listener kRegistry{Global, Ignore};
    Proxy<wl_registry> registry(wl_display_get_registry(display));
    wl_registry_add_listener(registry.get(), &kRegistry, &c);
    wl_display_roundtrip(display);
    if (!c.connection.Compositor() || !c.connection.Shm() || !c.connection.Seat() || !c.wmBase) return 1;
    static const wl_seat_listener kSeat{Capabilities, Ignore};
    wl_seat_add_listener(c.connection.Seat(), &kSeat, &c);
    static const xdg_wm_base_listener kWmBase{[](void*, xdg_wm_base* base, uint32_t serial) {
        xdg_wm_base_pong(base, serial);
    }};
    xdg_wm_base_add_listener(c.wmBase.get(), &kWmBase, &c);

    c.surface.reset(wl_compositor_create_surface(c.connection.Compositor()));
    Proxy<xdg_surface> shell(xdg_wm_base_get_xdg_surface(c.wmBase.get(), c.surface.get()));
    Proxy<xdg_toplevel> toplevel(xdg_surface_get_toplevel(shell.get()));
    static const xdg_toplevel_listener kToplevel{
        .configure = [](void* d, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
            auto& client = *static_cast<Client*>(d);
            if (width > 0 && height > 0) client.width = width, client.height = height;
        },
        .close = Ignore, .configure_bounds = Ignore, .wm_capabilities = Ignore,
    };
    xdg_toplevel_add_listener(toplevel.get(), &kToplevel, &c);
    static const xdg_surface_listener kShell{[](void* d, xdg_surface* surface, uint32_t serial) {
        auto& client = *static_cast<Client*>(d);
        xdg_surface_ack_configure(surface, serial);
        const bool resized = client.width > 0 && (!client.buffer || client.buffer->Width() != client.width ||
                                                  client.buffer->Height() != client.height);
        if (resized) Paint(client);
        wl_surface_commit(client.surface.get());
    }};
    xdg_surface_add_listener(shell.get(), &kShell, &c);
    xdg_toplevel_set_title(toplevel.get(), "test picture");
    xdg_toplevel_set_fullscreen(toplevel.get(), nullptr);
    wl_surface_commit(c.surface.get());
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
