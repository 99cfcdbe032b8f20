#include "support/wayland_test_window.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_shm_buffer.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap::test {

using platform::Proxy;
using Event = WaylandTestWindow::PointerEvent;

struct WaylandTestWindow::State {
    platform::WaylandConnection connection;
    Painter paint;
    Proxy<wl_surface> surface;
    Proxy<zwlr_layer_surface_v1> layer;
    Proxy<wl_pointer> pointer;
    std::unique_ptr<platform::WaylandShmBuffer> buffer;
    bool drawn = false;
    double x = 0;
    double y = 0;
    mutable std::mutex mutex;
    std::vector<Event> events;
    std::atomic<bool> stop{false};
    std::thread thread;

    void Record(Event::Kind kind, double atX, double atY, uint32_t button = 0, bool pressed = false) {
        x = atX;
        y = atY;
        const std::lock_guard lock(mutex);
        events.push_back({kind, atX, atY, button, pressed});
    }

    void Configure(uint32_t serial, int32_t width, int32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer.get(), serial);
        buffer = platform::WaylandShmBuffer::Create(connection.Shm(), width, height, width * 4,
                                                    WL_SHM_FORMAT_XRGB8888);
        if (buffer == nullptr) throw std::runtime_error("no shared memory for the test window");
        auto* pixels = reinterpret_cast<uint32_t*>(buffer->Data());
        for (int32_t row = 0; row < height; ++row) {
            for (int32_t column = 0; column < width; ++column) {
                pixels[row * width + column] = paint(column, row);
            }
        }
        wl_surface_attach(surface.get(), buffer->Buffer(), 0, 0);
        wl_surface_damage_buffer(surface.get(), 0, 0, width, height);
        static const wl_callback_listener kDrawn{
            .done = [](void* data, wl_callback* callback, uint32_t) {
                static_cast<State*>(data)->drawn = true;
                wl_callback_destroy(callback);
            }};
        wl_callback_add_listener(wl_surface_frame(surface.get()), &kDrawn, this);
        wl_surface_commit(surface.get());
    }

    void WatchPointer() {
        static const wl_pointer_listener kPointer{
            .enter = [](void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t atX, wl_fixed_t atY) {
                static_cast<State*>(data)->Record(Event::Kind::kEnter, wl_fixed_to_double(atX),
                                                  wl_fixed_to_double(atY));
            },
            .leave = [](void*, wl_pointer*, uint32_t, wl_surface*) {},
            .motion = [](void* data, wl_pointer*, uint32_t, wl_fixed_t atX, wl_fixed_t atY) {
                static_cast<State*>(data)->Record(Event::Kind::kMotion, wl_fixed_to_double(atX),
                                                  wl_fixed_to_double(atY));
            },
            .button = [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button,
                         uint32_t state) {
                auto* self = static_cast<State*>(data);
                self->Record(Event::Kind::kButton, self->x, self->y, button,
                             state == WL_POINTER_BUTTON_STATE_PRESSED);
            },
            .axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
            .frame = [](void*, wl_pointer*) {},
            .axis_source = [](void*, wl_pointer*, uint32_t) {},
            .axis_stop = [](void*, wl_pointer*, uint32_t, uint32_t) {},
            .axis_discrete = [](void*, wl_pointer*, uint32_t, int32_t) {},
            .axis_value120 = [](void*, wl_pointer*, uint32_t, int32_t) {},
        };
        // The test compositor has no pointer until a virtual one is made.
        static const wl_seat_listener kSeat{
            .capabilities = [](void* data, wl_seat* seat, uint32_t capabilities) {
                auto* self = static_cast<State*>(data);
                if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0 || self->pointer) return;
                self->pointer.reset(wl_seat_get_pointer(seat));
                wl_pointer_add_listener(self->pointer.get(), &kPointer, self);
            },
            .name = [](void*, wl_seat*, const char*) {},
        };
        if (connection.Seat() != nullptr) wl_seat_add_listener(connection.Seat(), &kSeat, this);
    }
};

WaylandTestWindow::WaylandTestWindow(const std::string& output, Painter paint)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.paint = std::move(paint);
    const platform::WaylandOutput* shown = nullptr;
    for (const platform::WaylandOutput* candidate : s.connection.Outputs()) {
        if (shown == nullptr && (output.empty() || candidate->name == output)) shown = candidate;
    }
    if (shown == nullptr || s.connection.LayerShell() == nullptr) {
        throw std::runtime_error("no output '" + output + "' or no layer shell to show on");
    }
    s.surface.reset(wl_compositor_create_surface(s.connection.Compositor()));
    s.layer.reset(zwlr_layer_shell_v1_get_layer_surface(s.connection.LayerShell(), s.surface.get(),
                                                        shown->output, ZWLR_LAYER_SHELL_V1_LAYER_TOP,
                                                        "glimtap-test"));
    zwlr_layer_surface_v1_set_anchor(s.layer.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                        ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                        ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                        ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(s.layer.get(), -1);
    static const zwlr_layer_surface_v1_listener kLayer{
        .configure = [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width,
                        uint32_t height) {
            static_cast<State*>(data)->Configure(serial, static_cast<int32_t>(width),
                                                 static_cast<int32_t>(height));
        },
        .closed = [](void*, zwlr_layer_surface_v1*) {},
    };
    zwlr_layer_surface_v1_add_listener(s.layer.get(), &kLayer, &s);
    s.WatchPointer();
    wl_surface_commit(s.surface.get());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!s.drawn && !s.connection.Broken() && std::chrono::steady_clock::now() < deadline) {
        s.connection.Dispatch(std::chrono::milliseconds(100));
    }
    if (!s.drawn) throw std::runtime_error("the compositor did not draw the test window");
    s.thread = std::thread([&s] {
        while (!s.stop && !s.connection.Broken()) s.connection.Dispatch(std::chrono::milliseconds(20));
    });
}

WaylandTestWindow::~WaylandTestWindow() {
    state_->stop = true;
    if (state_->thread.joinable()) state_->thread.join();
}

std::vector<Event> WaylandTestWindow::PointerEvents() const {
    const std::lock_guard lock(state_->mutex);
    return state_->events;
}

}  // namespace glimtap::test
