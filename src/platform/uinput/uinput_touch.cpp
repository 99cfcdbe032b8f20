#include "platform/uinput/uinput_touch.h"

#include <cstring>
#include <string>

#include "platform/unavailable.h"

namespace glimtap::platform {

UinputTouch::UinputTouch(Size extent) : extent_(extent) {
    if (extent.width <= 0 || extent.height <= 0) {
        throw Unavailable("no screen for a virtual touch screen to cover");
    }
    const EvdevDevice description = DescribeTouchScreen(extent);
    libevdev_uinput* device = nullptr;
    const int result = libevdev_uinput_create_from_device(
        description.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &device);
    if (result < 0) {
        throw Unavailable(std::string("cannot create a touch screen on /dev/uinput: ") +
                          std::strerror(-result));
    }
    device_.reset(device);
}

bool UinputTouch::Prepare() { return true; }

bool UinputTouch::Down(Point at) {
    if (at.x < 0 || at.y < 0 || at.x >= extent_.width || at.y >= extent_.height) return false;
    const int32_t id = trackingId_;
    trackingId_ = id == kMaxTrackingId ? 0 : id + 1;
    return Write(TouchDownFrame(at, id));
}

bool UinputTouch::Up(Point) { return Write(TouchUpFrame()); }

bool UinputTouch::Write(const std::vector<InputEvent>& frame) {
    for (const InputEvent& event : frame) {
        if (libevdev_uinput_write_event(device_.get(), event.type, event.code, event.value) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace glimtap::platform
