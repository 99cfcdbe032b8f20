#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/uinput/touch_screen_protocol.h"
#include "platform/uinput/uinput_touch.h"

namespace glimtap::test {
namespace {

using platform::InputEvent;
using platform::Point;
using platform::Size;

constexpr Size kScreen{1920, 1080};

struct FileDescriptor {
    FileDescriptor() = default;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
    int fd = -1;
};

std::vector<InputEvent> Tap(Point at, int32_t tracking_id) {
    std::vector<InputEvent> events = platform::TouchDownFrame(at, tracking_id);
    const std::vector<InputEvent> up = platform::TouchUpFrame();
    events.insert(events.end(), up.begin(), up.end());
    return events;
}

// The kernel drops, without a word, events a device did not announce and keeps values
// inside the announced ranges, so what a tap says must fit the device.
TEST(TouchScreenProtocolTest, EveryEventOfATapIsAnnouncedAndInRange) {
    const platform::EvdevDevice device = platform::DescribeTouchScreen(kScreen);
    libevdev* screen = device.get();
    // What udev and libinput look for in a touch screen.
    EXPECT_TRUE(libevdev_has_property(screen, INPUT_PROP_DIRECT));
    EXPECT_TRUE(libevdev_has_event_code(screen, EV_KEY, BTN_TOUCH));
    EXPECT_TRUE(libevdev_has_event_code(screen, EV_ABS, ABS_X));
    EXPECT_TRUE(libevdev_has_event_code(screen, EV_ABS, ABS_Y));
    EXPECT_EQ(libevdev_get_num_slots(screen), 1);

    for (const Point at : {Point{0, 0}, Point{1919, 1079}, Point{960, 7}}) {
        for (const InputEvent& event : Tap(at, platform::kMaxTrackingId)) {
            SCOPED_TRACE(std::string(libevdev_event_code_get_name(event.type, event.code)) +
                         " " + std::to_string(event.value));
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

// Where the X server would otherwise see nothing, the device itself is read back.
TEST(UinputTouchTest, MakesATouchScreenThatReportsTheTap) {
    const int probe = open("/dev/uinput", O_RDWR | O_CLOEXEC);
    if (probe < 0) {
        GTEST_SKIP() << "cannot open /dev/uinput: " << std::strerror(errno);
    }
    close(probe);

    platform::UinputTouch touch(kScreen);
    ASSERT_FALSE(touch.SysPath().empty());
    EXPECT_TRUE(std::filesystem::exists(touch.SysPath()));
    const std::string node = touch.DevNode();
    ASSERT_FALSE(node.empty());
    // udev may take a moment to make the node.
    FileDescriptor node_fd;
    for (int i = 0; i < 1000 && node_fd.fd < 0; ++i) {
        node_fd.fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (node_fd.fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(node_fd.fd, 0) << node << ": " << std::strerror(errno);
    libevdev* reader = nullptr;
    ASSERT_EQ(libevdev_new_from_fd(node_fd.fd, &reader), 0);
    const platform::EvdevDevice reader_owner{reader};
    // Grabbed, so that a desktop running on this machine never feels the tap.
    ASSERT_EQ(libevdev_grab(reader, LIBEVDEV_GRAB), 0);
    EXPECT_STREQ(libevdev_get_name(reader), "Glimtap virtual touch screen");

    ASSERT_TRUE(touch.Prepare());
    EXPECT_FALSE(touch.Down({1920, 5}));
    ASSERT_TRUE(touch.Down({123, 456}));
    ASSERT_TRUE(touch.Up({123, 456}));

    // Read up to the report that ends the touch.
    std::vector<InputEvent> received;
    bool lifted = false;
    bool ended = false;
    input_event event{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        if (libevdev_next_event(reader, LIBEVDEV_READ_FLAG_NORMAL, &event) !=
            LIBEVDEV_READ_STATUS_SUCCESS) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        received.push_back({event.type, event.code, event.value});
        lifted = lifted || (event.type == EV_KEY && event.code == BTN_TOUCH && event.value == 0);
        ended = lifted && event.type == EV_SYN && event.code == SYN_REPORT;
    }
    const auto value_of = [&](uint16_t type, uint16_t code) {
        std::vector<int32_t> values;
        for (const InputEvent& e : received) {
            if (e.type == type && e.code == code) values.push_back(e.value);
        }
        return values;
    };
    EXPECT_EQ(value_of(EV_KEY, BTN_TOUCH), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(value_of(EV_ABS, ABS_MT_POSITION_X), (std::vector<int32_t>{123}));
    EXPECT_EQ(value_of(EV_ABS, ABS_MT_POSITION_Y), (std::vector<int32_t>{456}));
    EXPECT_EQ(value_of(EV_ABS, ABS_MT_TRACKING_ID).size(), 2U);
    EXPECT_EQ(value_of(EV_ABS, ABS_MT_TRACKING_ID).back(), -1);
    EXPECT_EQ(value_of(EV_ABS, ABS_MT_PRESSURE), (std::vector<int32_t>{32000}));
}

}  // namespace
}  // namespace glimtap::test
