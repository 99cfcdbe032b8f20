#include "platform/portal/seat_touch.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

namespace glimtap::platform {
namespace {

struct SeatWatch {
    wl_seat* seat = nullptr;
    uint32_t capabilities = 0;
};

void OnCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    static_cast<SeatWatch*>(data)->capabilities = capabilities;
}

void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener{OnCapabilities, OnSeatName};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* watch = static_cast<SeatWatch*>(data);
    if (watch->seat != nullptr || std::strcmp(interface, wl_seat_interface.name) != 0) return;
    watch->seat = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 2u)));
    wl_seat_add_listener(watch->seat, &kSeatListener, watch);
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

struct DisplayClose {
    void operator()(wl_display* display) const noexcept { wl_display_disconnect(display); }
};

}  // namespace

bool SeatOffersTouch(std::chrono::milliseconds patience) {
    const std::unique_ptr<wl_display, DisplayClose> display(wl_display_connect(nullptr));
    if (display == nullptr) return false;
    SeatWatch watch;
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &kRegistryListener, &watch);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool touch = false;
    // The seat tells its capabilities when bound and again at each change.
    while (wl_display_roundtrip(display.get()) >= 0) {
        touch = (watch.capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0;
        if (touch || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (watch.seat != nullptr) wl_seat_destroy(watch.seat);
    wl_registry_destroy(registry);
    return touch;
}

}  // namespace glimtap::platform
