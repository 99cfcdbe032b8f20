#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <string>
#include <vector>

#include "platform/uinput/touch_screen_protocol.h"

namespace glimtap::test {
namespace {

using platform::InputEvent;
using platform::Point;

// The kernel drops, without a word, events a device did not announce and keeps values
// inside the announced ranges, so what a tap says must fit the device.
TEST(TouchScreenProtocolTest, EveryEventOfATapIsAnnouncedAndInRange) {
    const platform::EvdevDevice device = platform::DescribeTouchScreen({1920, 1080});
    libevdev* screen = device.get();
    // What udev and libinput look for in a touch screen.
    EXPECT_TRUE(libevdev_has_property(screen, INPUT_PROP_DIRECT) && libevdev_has_event_code(screen, EV_KEY, BTN_TOUCH) &&
                libevdev_has_event_code(screen, EV_ABS, ABS_X) && libevdev_has_event_code(screen, EV_ABS, ABS_Y));
    EXPECT_EQ(libevdev_get_num_slots(screen), 1);

    for (const Point at : {Point{0, 0}, Point{1919, 1079}, Point{960, 7}}) {
        std::vector<InputEvent> tap = platform::TouchDownFrame(at, platform::kMaxTrackingId);
        for (const InputEvent& up : platform::TouchUpFrame()) tap.push_back(up);
        for (const InputEvent& event : tap) {
            SCOPED_TRACE(std::string(libevdev_event_code_get_name(event.type, event.code)) + " " + std::to_string(event.value));
            if (event.type == EV_SYN) continue;
            ASSERT_TRUE(libevdev_has_event_code(screen, event.type, event.code));
            // -1 ends a contact and lies outside every tracking id by design.
            if (event.type == EV_ABS && !(event.code == ABS_MT_TRACKING_ID && event.value == -1)) {
                EXPECT_GE(event.value, libevdev_get_abs_minimum(screen, event.code));
                EXPECT_LE(event.value, libevdev_get_abs_maximum(screen, event.code));
            }
        }
    }
}

}  // namespace
}  // namespace glimtap::test
