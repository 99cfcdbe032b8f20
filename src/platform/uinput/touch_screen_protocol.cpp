#include "platform/uinput/touch_screen_protocol.h"

#include <linux/input.h>

#include <algorithm>
#include <stdexcept>

namespace glimtap::platform {

namespace {

// The contact is 4 pixels across (X - 2 to X + 2) and square.
constexpr int32_t kContactSize = 4;
constexpr int32_t kOrientation = 90;
constexpr int32_t kPressure = 32000;
constexpr int32_t kMaxPressure = 32767;

void EnableAxis(libevdev* device, unsigned int code, int32_t minimum, int32_t maximum) {
    input_absinfo axis{};
    axis.minimum = minimum;
    axis.maximum = maximum;
    libevdev_enable_event_code(device, EV_ABS, code, &axis);
}

}  // namespace

EvdevDevice DescribeTouchScreen(Size extent) {
    EvdevDevice device{libevdev_new()};
    if (device == nullptr) throw std::bad_alloc();
    libevdev* raw = device.get();
    libevdev_set_name(raw, "Glimtap virtual touch screen");
    libevdev_set_id_bustype(raw, BUS_VIRTUAL);
    libevdev_enable_property(raw, INPUT_PROP_DIRECT);
    libevdev_enable_event_code(raw, EV_KEY, BTN_TOUCH, nullptr);
    const int32_t right = extent.width - 1;
    const int32_t bottom = extent.height - 1;
    // The single-touch axes are what tells udev and libinput this is a touch screen.
    EnableAxis(raw, ABS_X, 0, right);
    EnableAxis(raw, ABS_Y, 0, bottom);
    EnableAxis(raw, ABS_MT_SLOT, 0, 0);
    EnableAxis(raw, ABS_MT_TRACKING_ID, 0, kMaxTrackingId);
    EnableAxis(raw, ABS_MT_POSITION_X, 0, right);
    EnableAxis(raw, ABS_MT_POSITION_Y, 0, bottom);
    EnableAxis(raw, ABS_MT_TOUCH_MAJOR, 0, std::max(extent.width, extent.height));
    EnableAxis(raw, ABS_MT_TOUCH_MINOR, 0, std::max(extent.width, extent.height));
    // A quarter turn either way; the maximum means lying along the x axis.
    EnableAxis(raw, ABS_MT_ORIENTATION, -kOrientation, kOrientation);
    EnableAxis(raw, ABS_MT_PRESSURE, 0, kMaxPressure);
    return device;
}

std::vector<InputEvent> TouchDownFrame(Point at, int32_t tracking_id) {
    return {
        {EV_ABS, ABS_MT_SLOT, 0},
        {EV_ABS, ABS_MT_TRACKING_ID, tracking_id},
        {EV_ABS, ABS_MT_POSITION_X, at.x},
        {EV_ABS, ABS_MT_POSITION_Y, at.y},
        {EV_ABS, ABS_MT_TOUCH_MAJOR, kContactSize},
        {EV_ABS, ABS_MT_TOUCH_MINOR, kContactSize},
        {EV_ABS, ABS_MT_ORIENTATION, kOrientation},
        {EV_ABS, ABS_MT_PRESSURE, kPressure},
        {EV_KEY, BTN_TOUCH, 1},
        {EV_ABS, ABS_X, at.x},
        {EV_ABS, ABS_Y, at.y},
        {EV_SYN, SYN_REPORT, 0},
    };
}

std::vector<InputEvent> TouchUpFrame() {
    return {
        {EV_ABS, ABS_MT_SLOT, 0},
        {EV_ABS, ABS_MT_TRACKING_ID, -1},
        {EV_KEY, BTN_TOUCH, 0},
        {EV_SYN, SYN_REPORT, 0},
    };
}

}  // namespace glimtap::platform
