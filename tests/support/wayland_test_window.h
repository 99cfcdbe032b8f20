#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_shm_buffer.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap::test {

// A Wayland client of the test: a top-layer surface covering one output, painted by the
// caller one buffer pixel per output pixel at any scale (through a viewport), that records the
// pointer events it gets. Dispatches on a thread of its own; any thread may call it. The
// painter gives the colour (0x00RRGGBB) of the output's pixel (x, y) as the user sees it.
class WaylandTestWindow {
public:
    using Painter = std::function<uint32_t(int32_t x, int32_t y)>;
    // An enter, a motion (button 0) or a button (its evdev code) at the last position.
    struct PointerEvent {
        double x = 0, y = 0;  // surface coordinates
        uint32_t button = 0;
        bool pressed = false;
    };

    // Covers the output named `output` and returns once the compositor has drawn the
    // surface. Throws std::runtime_error when it cannot.
    WaylandTestWindow(const std::string& output, Painter paint) : paint_(std::move(paint)) {
        const platform::WaylandOutput* shown = nullptr;
        for (const platform::WaylandOutput* candidate : connection_.Outputs())
            if (candidate->name == output) shown = candidate;
        if (shown == nullptr || connection_.LayerShell() == nullptr || !connection_.Viewporter())
            throw std::runtime_error("no output '" + output + "' or no layer shell to show on");
        pixels_ = {shown->physical.width, shown->physical.height};
        surface_.reset(wl_compositor_create_surface(connection_.Compositor()));
        viewport_.reset(wp_viewporter_get_viewport(connection_.Viewporter(), surface_.get()));
        layer_.reset(zwlr_layer_shell_v1_get_layer_surface(connection_.LayerShell(), surface_.get(), shown->output,
                                                           ZWLR_LAYER_SHELL_V1_LAYER_TOP, "test"));
        zwlr_layer_surface_v1_set_anchor(layer_.get(), 15);  // every edge
        zwlr_layer_surface_v1_set_exclusive_zone(layer_.get(), -1);
        static const zwlr_layer_surface_v1_listener kLayer{Configure, Ignore};
        zwlr_layer_surface_v1_add_listener(layer_.get(), &kLayer, this);
        // The test compositor has a pointer only once a virtual one is made.
        static const wl_seat_listener kSeat{Capabilities, Ignore};
        wl_seat_add_listener(connection_.Seat(), &kSeat, this);
        wl_surface_commit(surface_.get());
        while (!drawn_ && !connection_.Broken()) connection_.Dispatch(std::chrono::milliseconds(100));
        if (!drawn_) throw std::runtime_error("the compositor did not draw the test window");
        thread_ = std::thread([this] {
            while (!stop_ && !connection_.Broken()) connection_.Dispatch(std::chrono::milliseconds(20));
        });
    }
    ~WaylandTestWindow() {
        stop_ = true;
        thread_.join();
    }

    // Shows the same picture again as a client redrawing would: the compositor composes anew.
    void Redraw() {
        wl_surface_attach(surface_.get(), buffer_->Buffer(), 0, 0);
        wl_surface_damage_buffer(surface_.get(), 0, 0, pixels_.width, pixels_.height);
        wl_surface_commit(surface_.get());
        wl_display_flush(connection_.Display());
    }

    // Every pointer event so far, oldest first.
    std::vector<PointerEvent> PointerEvents() const {
        const std::lock_guard lock(mutex_);
        return events_;
    }

private:
    template <typename... A>
    static void Ignore(void*, A...) {}

    static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t w, uint32_t h) {
        auto* self = static_cast<WaylandTestWindow*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        const auto [width, height] = self->pixels_;
        wp_viewport_set_destination(self->viewport_.get(), int32_t(w), int32_t(h));
        self->buffer_ = platform::WaylandShmBuffer::Create(self->connection_.Shm(), width, height,
                                                           width * 4, WL_SHM_FORMAT_XRGB8888);
        if (self->buffer_ == nullptr) return;  // never drawn: the constructor says so
        auto* pixels = reinterpret_cast<uint32_t*>(self->buffer_->Data());
        for (int32_t i = 0; i < width * height; ++i) pixels[i] = self->paint_(i % width, i / width);
        wl_surface_attach(self->surface_.get(), self->buffer_->Buffer(), 0, 0);
        wl_surface_damage_buffer(self->surface_.get(), 0, 0, width, height);
        static const wl_callback_listener kDrawn{[](void* d, wl_callback* callback, uint32_t) {
            static_cast<WaylandTestWindow*>(d)->drawn_ = true;
            wl_callback_destroy(callback);
        }};
        wl_callback_add_listener(wl_surface_frame(self->surface_.get()), &kDrawn, self);
        wl_surface_commit(self->surface_.get());
    }

    static void Record(void* data, wl_fixed_t x, wl_fixed_t y, uint32_t button = 0, bool pressed = false) {
        auto* self = static_cast<WaylandTestWindow*>(data);
        if (button == 0) self->last_ = {wl_fixed_to_double(x), wl_fixed_to_double(y)};
        const std::lock_guard lock(self->mutex_);
        self->events_.push_back({self->last_.x, self->last_.y, button, pressed});
    }

    static void Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
        static const wl_pointer_listener kPointer{
            .enter = [](void* d, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x,
                        wl_fixed_t y) { Record(d, x, y); },
            .leave = Ignore,
            .motion = [](void* d, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) { Record(d, x, y); },
            .button = [](void* d, wl_pointer*, uint32_t, uint32_t, uint32_t button,
                         uint32_t state) { Record(d, 0, 0, button, state != 0); },
            .axis = Ignore, .frame = Ignore, .axis_source = Ignore, .axis_stop = Ignore,
            .axis_discrete = Ignore, .axis_value120 = Ignore,
        };
        auto* self = static_cast<WaylandTestWindow*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0) self->pointer_.reset();  // gone
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0 || self->pointer_) return;
        self->pointer_.reset(wl_seat_get_pointer(seat));
        wl_pointer_add_listener(self->pointer_.get(), &kPointer, self);
    }

    platform::WaylandConnection connection_;
    Painter paint_;
    platform::Proxy<wl_surface> surface_;
    platform::Proxy<zwlr_layer_surface_v1> layer_;
    platform::Proxy<wp_viewport> viewport_;
    platform::Size pixels_;
    platform::Proxy<wl_pointer> pointer_;
    std::unique_ptr<platform::WaylandShmBuffer> buffer_;
    bool drawn_ = false;
    PointerEvent last_;
    mutable std::mutex mutex_;
    std::vector<PointerEvent> events_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace glimtap::test
