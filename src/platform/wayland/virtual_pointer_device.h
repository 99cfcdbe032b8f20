#pragma once

#include <cstdint>
#include <memory>

#include "platform/geometry.h"
#include "platform/wayland/wayland_connection.h"

struct zwlr_virtual_pointer_v1;

namespace glimtap::platform {

// One virtual pointer device of the compositor (wlr-virtual-pointer), kept for its whole
// life: a device made per event can lose the first click while the compositor takes it up.
// Points are desktop physical pixels; each call ends a frame and returns once the
// compositor has handled it. Owns a connection of its own, so one thread at a time may
// call it, and a different one from the thread that made it.
class VirtualPointerDevice {
public:
    // Throws Unavailable when no compositor answers or it offers no virtual pointers.
    VirtualPointerDevice();
    ~VirtualPointerDevice();
    VirtualPointerDevice(const VirtualPointerDevice&) = delete;
    VirtualPointerDevice& operator=(const VirtualPointerDevice&) = delete;

    // Puts the pointer on the middle of physical pixel `at`, exactly at any output scale.
    // False for a point on no output, or when the compositor has gone.
    bool MoveTo(Point at);
    // Moves the pointer by dx physical pixels as a mouse would, at the scale of the output
    // under `from`. False when the compositor has gone.
    bool Nudge(Point from, int32_t dx);
    // Presses or releases the left button where the pointer is.
    bool LeftButton(bool pressed);
    // False once the compositor has gone.
    bool Connected() const { return !connection_->Broken(); }

private:
    struct Destroy {
        void operator()(zwlr_virtual_pointer_v1* device) const noexcept;
    };

    // The output that holds physical pixel `at`, as of the last events; null when none.
    const WaylandOutput* OutputAt(Point at);
    // Ends the frame and waits for the compositor.
    bool Commit();

    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<zwlr_virtual_pointer_v1, Destroy> device_;
};

}  // namespace glimtap::platform
