#pragma once

#include "platform/touch_injector.h"
#include "platform/wayland/virtual_pointer_device.h"

namespace glimtap::platform {

// A tap where no touch screen can be made: a virtual pointer device of its own goes to the
// point and presses and releases the left button there, which is what a tap means to most
// Wayland clients. It moves the one pointer the user sees. One thread at a time may call
// it; nothing is thrown.
class VirtualPointerTap : public TouchInjector {
public:
    // Throws Unavailable when the compositor offers no virtual pointer.
    VirtualPointerTap() = default;

    bool Prepare() override { return device_.Connected(); }
    // False for a point on no output: the press would land elsewhere.
    bool Down(Point at) override { return device_.MoveTo(at) && device_.LeftButton(true); }
    bool Up(Point) override { return device_.LeftButton(false); }

private:
    VirtualPointerDevice device_;
};

}  // namespace glimtap::platform
