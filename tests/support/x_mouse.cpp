#include "support/x_mouse.h"

#include <xcb/xtest.h>

#include <stdexcept>

#include "platform/x11/xtest_support.h"

namespace glimtap::test {

using platform::Reply;

namespace {

constexpr uint8_t kLeftButton = 1;

}  // namespace

FakeMouse::FakeMouse() { platform::RequireXTest(connection_.Get()); }

void FakeMouse::MoveTo(int32_t x, int32_t y) {
    Fake(XCB_MOTION_NOTIFY, 0, x, y);
    Sync();
}

void FakeMouse::PressLeft() {
    Fake(XCB_BUTTON_PRESS, kLeftButton, 0, 0);
    Sync();
}

void FakeMouse::ReleaseLeft() {
    Fake(XCB_BUTTON_RELEASE, kLeftButton, 0, 0);
    Sync();
}

void FakeMouse::Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, bool release) {
    MoveTo(fromX, fromY);
    PressLeft();
    MoveTo((fromX + toX) / 2, (fromY + toY) / 2);
    MoveTo(toX, toY);
    if (release) ReleaseLeft();
}

void FakeMouse::Click(int32_t x, int32_t y) {
    MoveTo(x, y);
    PressLeft();
    ReleaseLeft();
}

void FakeMouse::Fake(uint8_t type, uint8_t detail, int32_t x, int32_t y) {
    // Buttons act where the pointer is; only motion takes a position.
    xcb_test_fake_input(connection_.Get(), type, detail, XCB_CURRENT_TIME, connection_.Root(),
                        platform::ToXCoordinate(x), platform::ToXCoordinate(y), 0);
}

void FakeMouse::Sync() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> reply{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    if (reply == nullptr) throw std::runtime_error("lost the X display while moving the mouse");
}

}  // namespace glimtap::test
