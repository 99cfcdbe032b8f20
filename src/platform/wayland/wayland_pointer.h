#pragma once

#include <memory>
#include <optional>

#include "platform/pointer.h"
#include "platform/wayland/virtual_pointer_device.h"

namespace glimtap::platform {

// The pointer on a wlroots compositor, driven through a virtual pointer device of its own.
// Wayland lets no client read where the pointer is: Position() is where this object last
// put it (nudges counted), nullopt before its first move, and does not follow the user's
// mouse. The device is made at the first move, on the calling thread: while a virtual
// pointer lives the compositor shows a cursor, which would otherwise sit in every capture
// from the start. One thread at a time may call it; nothing is thrown.
class WaylandPointer : public Pointer {
public:
    // False for a point on no output, or when the compositor has gone or offers no virtual
    // pointer.
    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override { return position_; }
    void NudgeHorizontally(int32_t dx) override;

private:
    // Null when it cannot be made.
    VirtualPointerDevice* Device();

    std::unique_ptr<VirtualPointerDevice> device_;
    std::optional<Point> position_;
};

}  // namespace glimtap::platform
