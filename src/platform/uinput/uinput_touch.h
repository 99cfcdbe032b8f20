#pragma once

#include <libevdev/libevdev-uinput.h>

#include <memory>
#include <vector>

#include "platform/geometry.h"
#include "platform/touch_injector.h"
#include "platform/uinput/touch_screen_protocol.h"

namespace glimtap::platform {

// Taps through a virtual touch screen made with /dev/uinput. The device lives as long as
// this object; the desktop needs a moment to take up a new device, so make it once, early.
class UinputTouch : public TouchInjector {
public:
    // `extent` is the virtual screen the device spans. Throws Unavailable when /dev/uinput
    // cannot be opened or refuses the device.
    explicit UinputTouch(Size extent);

    bool Prepare() override;
    // False for a point off the screen the device spans.
    bool Down(Point at) override;
    bool Up(Point at) override;

private:
    struct Destroy {
        void operator()(libevdev_uinput* device) const noexcept {
            libevdev_uinput_destroy(device);
        }
    };

    bool Write(const std::vector<InputEvent>& frame);

    Size extent_;
    std::unique_ptr<libevdev_uinput, Destroy> device_;
    int32_t trackingId_ = 0;
};

}  // namespace glimtap::platform
