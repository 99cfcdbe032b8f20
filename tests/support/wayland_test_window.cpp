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
namespace {

using Event = WaylandTestWindow::PointerEvent;
template <typename... A>
void Ignore(void*, A...) {}

}  // namespace

struct WaylandTestWindow::State {
    platform::WaylandConnection connection;
    Painter paint;
    platform::Proxy<wl_surface> surface;
    platform::Proxy<zwlr_layer_surface_v1> layer;
    platform::Proxy<wl_pointer> pointer;
    std::unique_ptr<platform::WaylandShmBuffer> buffer;
    bool drawn = false;
    Event last;
    mutable std::mutex mutex;
    std::vector<Event> events;
    std::atomic<bool> stop{false};
    std::thread thread;

    static void Record(void* data, Event::Kind kind, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<State*>(data);
        self->last = {kind, wl_fixed_to_double(x), wl_fixed_to_double(y), 0, false};
        const std::lock_guard lock(self->mutex);
        self->events.push_back(self->last);
    }

    static void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button,
                       uint32_t state) {
        auto* self = static_cast<State*>(data);
        const std::lock_guard lock(self->mutex);
        self->events.push_back({Event::Kind::kButton, self->last.x, self->last.y, button,
                                state == WL_POINTER_BUTTON_STATE_PRESSED});
    }

    static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t w,
                          uint32_t h) {
        auto* self = static_cast<State*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        const auto width = static_cast<int32_t>(w);
        const auto height = static_cast<int32_t>(h);
        self->buffer = platform::WaylandShmBuffer::Create(self->connection.Shm(), width, height,
                                                          width * 4, WL_SHM_FORMAT_XRGB8888);
        if (self->buffer == nullptr) return;  // never drawn: the constructor says so
        auto* pixels = reinterpret_cast<uint32_t*>(self->buffer->Data());
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) pixels[y * width + x] = self->paint(x, y);
        }
        wl_surface_attach(self->surface.get(), self->buffer->Buffer(), 0, 0);
        wl_surface_damage_buffer(self->surface.get(), 0, 0, width, height);
        static const wl_callback_listener kDrawn{[](void* drawn, wl_callback* callback, uint32_t) {
            static_cast<State*>(drawn)->drawn = true;
            wl_callback_destroy(callback);
        }};
        wl_callback_add_listener(wl_surface_frame(self->surface.get()), &kDrawn, self);
        wl_surface_commit(self->surface.get());
    }

    // The test compositor has a pointer only once a virtual one is made.
    static void Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
        static const wl_pointer_listener kPointer{
            .enter = [](void* d, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x,
                        wl_fixed_t y) { Record(d, Event::Kind::kEnter, x, y); },
            .leave = Ignore<wl_pointer*, uint32_t, wl_surface*>,
            .motion = [](void* d, wl_pointer*, uint32_t, wl_fixed_t x,
                         wl_fixed_t y) { Record(d, Event::Kind::kMotion, x, y); },
            .button = Button,
            .axis = Ignore<wl_pointer*, uint32_t, uint32_t, wl_fixed_t>,
            .frame = Ignore<wl_pointer*>,
            .axis_source = Ignore<wl_pointer*, uint32_t>,
            .axis_stop = Ignore<wl_pointer*, uint32_t, uint32_t>,
            .axis_discrete = Ignore<wl_pointer*, uint32_t, int32_t>,
            .axis_value120 = Ignore<wl_pointer*, uint32_t, int32_t>,
        };
        auto* self = static_cast<State*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0 || self->pointer) return;
        self->pointer.reset(wl_seat_get_pointer(seat));
        wl_pointer_add_listener(self->pointer.get(), &kPointer, self);
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
    s.layer.reset(zwlr_layer_shell_v1_get_layer_surface(
        s.connection.LayerShell(), s.surface.get(), shown->output, ZWLR_LAYER_SHELL_V1_LAYER_TOP,
        "glimtap-test"));
    zwlr_layer_surface_v1_set_anchor(s.layer.get(), 15);  // every edge
    zwlr_layer_surface_v1_set_exclusive_zone(s.layer.get(), -1);
    static const zwlr_layer_surface_v1_listener kLayer{State::Configure,
                                                       Ignore<zwlr_layer_surface_v1*>};
    zwlr_layer_surface_v1_add_listener(s.layer.get(), &kLayer, &s);
    static const wl_seat_listener kSeat{State::Capabilities, Ignore<wl_seat*, const char*>};
    if (s.connection.Seat() != nullptr) wl_seat_add_listener(s.connection.Seat(), &kSeat, &s);
    wl_surface_commit(s.surface.get());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!s.drawn && !s.connection.Broken() && std::chrono::steady_clock::now() < deadline) {
        s.connection.Dispatch(std::chrono::milliseconds(100));
    }
    if (!s.drawn) throw std::runtime_error("the compositor did not draw the test window");
    s.thread = std::thread([&s] {
        while (!s.stop && !s.connection.Broken())
            s.connection.Dispatch(std::chrono::milliseconds(20));
    });
}

WaylandTestWindow::~WaylandTestWindow() {
    state_->stop = true;
    if (state_->thread.joinable()) state_->thread.join();
}

std::vector<WaylandTestWindow::PointerEvent> WaylandTestWindow::PointerEvents() const {
    const std::lock_guard lock(state_->mutex);
    return state_->events;
}

}  // namespace glimtap::test
