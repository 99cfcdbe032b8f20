#pragma once

#include <memory>

#include "platform/touch_injector.h"
#include "platform/wayland/virtual_pointer_device.h"

namespace glimtap::platform {

// A tap where no touch screen can be made: a virtual pointer device of its own goes to the
// point and presses and releases the left button there, which is what a tap means to most
// Wayland clients. It moves the one pointer the user sees. The device is made at the first
// tap: while a virtual pointer lives the compositor draws a cursor, which may show in
// captures and hide a match. One thread at a time may call it; nothing is thrown.
class VirtualPointerTap : public TouchInjector {
public:
    // False when the device cannot be made, or the compositor has gone.
    bool Prepare() override;
    // False for a point on no output: the press would land elsewhere.
    bool Down(Point at) override { return Prepare() && device_->MoveTo(at) && device_->LeftButton(true); }
    bool Up(Point) override { return Prepare() && device_->LeftButton(false); }

private:
    std::unique_ptr<VirtualPointerDevice> device_;
};

}  // namespace glimtap::platform
