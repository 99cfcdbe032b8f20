#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "platform/backends.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer.h"
#include "support/x_drawing.h"

namespace glimtap::test {
namespace {

using platform::Point;
using platform::Reply;

// The pointer and the tap of one backend set, watched from a connection of the test's own.
TEST(X11PointerTest, MovesReportsAndNudgesThePointer) {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::Pointer& pointer = *backends->MousePointer();
    const platform::X11Connection x;
    platform::X11Pointer observer(x);

    ASSERT_TRUE(pointer.MoveTo(300, 400));
    EXPECT_EQ(observer.Position(), (Point{300, 400}));
    pointer.NudgeHorizontally(+1);
    EXPECT_EQ(observer.Position(), (Point{301, 400}));
    pointer.NudgeHorizontally(-1);
    EXPECT_EQ(observer.Position(), (Point{300, 400}));

    // Beyond 16 bits a coordinate must not wrap round to a small one; the server keeps
    // the pointer on the screen.
    ASSERT_TRUE(pointer.MoveTo(65536 + 10, -65536 + 10));
    const std::optional<Point> edge = observer.Position();
    ASSERT_TRUE(edge.has_value());
    EXPECT_GT(edge->x, 10);
    EXPECT_EQ(edge->y, 0);
}

struct Click {
    uint8_t type;
    uint8_t button;
    Point root;
    Point in_window;
    friend bool operator==(const Click&, const Click&) = default;
};

void PrintTo(const Click& click, std::ostream* out) {
    *out << (click.type == XCB_BUTTON_PRESS ? "press " : "release ") << int{click.button}
         << " at " << click.root.x << "," << click.root.y << " (window " << click.in_window.x
         << "," << click.in_window.y << ")";
}

// A mapped window that listens for mouse buttons, on a connection of its own.
class ButtonWindow {
public:
    ButtonWindow(int16_t x, int16_t y, uint16_t width, uint16_t height)
        : window_(xcb_generate_id(connection_.Get())) {
        xcb_connection_t* connection = connection_.Get();
        const uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window_, connection_.Root(), x, y,
                          width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        xcb_map_window(connection, window_);
        SyncWithServer(connection);
    }
    ~ButtonWindow() {
        xcb_destroy_window(connection_.Get(), window_);
        xcb_flush(connection_.Get());
    }
    ButtonWindow(const ButtonWindow&) = delete;
    ButtonWindow& operator=(const ButtonWindow&) = delete;

    // The next `count` button events, or fewer if they do not come within a generous while.
    std::vector<Click> NextClicks(size_t count) {
        std::vector<Click> clicks;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (clicks.size() < count && std::chrono::steady_clock::now() < deadline) {
            const Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_.Get())};
            if (event == nullptr) {
                pollfd ready{xcb_get_file_descriptor(connection_.Get()), POLLIN, 0};
                poll(&ready, 1, 100);
                continue;
            }
            const uint8_t type = event->response_type & 0x7f;
            if (type != XCB_BUTTON_PRESS && type != XCB_BUTTON_RELEASE) continue;
            const auto* button = reinterpret_cast<const xcb_button_press_event_t*>(event.get());
            clicks.push_back({type, button->detail, {button->root_x, button->root_y},
                              {button->event_x, button->event_y}});
        }
        return clicks;
    }

private:
    platform::X11Connection connection_;
    xcb_window_t window_;
};

TEST(XTestTapTest, TapPressesAndReleasesTheFirstButtonAtThePoint) {
    ButtonWindow window(100, 120, 200, 150);
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    // No uinput here: the tap falls back to XTest clicks.
    platform::TouchInjector& tap = *backends->Touch();
    ASSERT_TRUE(tap.Prepare());

    // Off the screen there is nothing to tap: the server would press at the edge instead.
    EXPECT_FALSE(tap.Down({-5, 130}));
    EXPECT_FALSE(tap.Down({150, 100000}));

    ASSERT_TRUE(tap.Down({150, 170}));
    ASSERT_TRUE(tap.Up({150, 170}));
    // The first events to arrive are the tap's: the refused ones pressed nothing.
    EXPECT_EQ(window.NextClicks(2),
              (std::vector<Click>{{XCB_BUTTON_PRESS, 1, {150, 170}, {50, 50}},
                                  {XCB_BUTTON_RELEASE, 1, {150, 170}, {50, 50}}}));
}

}  // namespace
}  // namespace glimtap::test
