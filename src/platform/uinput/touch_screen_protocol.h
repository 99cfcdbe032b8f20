#pragma once

#include <libevdev/libevdev.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/geometry.h"

// What the virtual touch screen announces and what it says for a tap. The two must agree:
// the kernel silently drops events of codes a device did not announce.
namespace glimtap::platform {

struct EvdevFree {
    void operator()(libevdev* device) const noexcept { libevdev_free(device); }
};
using EvdevDevice = std::unique_ptr<libevdev, EvdevFree>;

struct InputEvent {
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

// A direct multitouch screen with one contact slot, one unit per pixel of `extent`, so
// that the desktop lays it over the whole virtual screen.
EvdevDevice DescribeTouchScreen(Size extent);

// One finger landing on `at`: a 4 x 4 pixel contact, turned 90 degrees, pressing 32000.
std::vector<InputEvent> TouchDownFrame(Point at, int32_t tracking_id);
std::vector<InputEvent> TouchUpFrame();

// Tracking ids run from 0 to this value and then start again.
inline constexpr int32_t kMaxTrackingId = 0xffff;

}  // namespace glimtap::platform
