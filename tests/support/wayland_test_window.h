#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimtap::test {

// A Wayland client of the test: a top-layer (layer-shell) surface covering one output,
// painted by the caller, that records the pointer events it gets. Runs over a connection
// and a thread of its own; any thread may call it. Surface pixels are output pixels (the
// test compositor's outputs have scale 1).
class WaylandTestWindow {
public:
    // The colour (0x00RRGGBB) of surface pixel (x, y).
    using Painter = std::function<uint32_t(int32_t x, int32_t y)>;

    struct PointerEvent {
        enum class Kind { kEnter, kMotion, kButton };
        Kind kind = Kind::kMotion;
        double x = 0;  // surface coordinates; a button carries the last position
        double y = 0;
        uint32_t button = 0;  // evdev code (BTN_LEFT is 0x110); buttons only
        bool pressed = false;
    };

    // Covers the output named `output` (its connector; "" for the first one) and returns once
    // the compositor has drawn the surface. Throws std::runtime_error when it cannot.
    WaylandTestWindow(const std::string& output, Painter paint);
    ~WaylandTestWindow();
    WaylandTestWindow(const WaylandTestWindow&) = delete;
    WaylandTestWindow& operator=(const WaylandTestWindow&) = delete;

    // Every pointer event so far, oldest first.
    std::vector<PointerEvent> PointerEvents() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace glimtap::test
