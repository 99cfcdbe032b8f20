#pragma once

#include <optional>

#include "platform/pointer.h"
#include "platform/wayland/virtual_pointer_device.h"

namespace glimtap::platform {

// The pointer on a wlroots compositor, driven through a virtual pointer device of its own.
// Wayland lets no client read where the pointer is: Position() is where this object last
// put it (nudges counted), nullopt before its first move, and does not follow the user's
// mouse. One thread at a time may call it; nothing is thrown.
class WaylandPointer : public Pointer {
public:
    // Throws Unavailable when the compositor offers no virtual pointer.
    WaylandPointer() = default;

    // False for a point on no output, or when the compositor has gone.
    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override { return position_; }
    void NudgeHorizontally(int32_t dx) override;

private:
    VirtualPointerDevice device_;
    std::optional<Point> position_;
};

}  // namespace glimtap::platform
