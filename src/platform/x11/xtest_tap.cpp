#include "platform/x11/xtest_tap.h"

#include <xcb/xtest.h>

#include "platform/x11/xtest_support.h"

namespace glimtap::platform {

XTestTap::XTestTap(const X11Connection& connection) : connection_(connection) {
    RequireXTest(connection_.Get());
}

bool XTestTap::Prepare() { return xcb_connection_has_error(connection_.Get()) == 0; }

bool XTestTap::Down(Point at) {
    // Asked each time: the root grows and shrinks as monitors come and go.
    const Size root = connection_.RootSize();
    if (at.x < 0 || at.y < 0 || at.x >= root.width || at.y >= root.height) return false;
    return Fake(XCB_MOTION_NOTIFY, 0, at) && Fake(XCB_BUTTON_PRESS, 1);
}

bool XTestTap::Up(Point) { return Fake(XCB_BUTTON_RELEASE, 1); }

bool XTestTap::Fake(uint8_t type, uint8_t detail, Point at) {
    xcb_connection_t* connection = connection_.Get();
    const xcb_void_cookie_t cookie = xcb_test_fake_input_checked(
        connection, type, detail, XCB_CURRENT_TIME, connection_.Root(), ToXCoordinate(at.x),
        ToXCoordinate(at.y), 0);
    const Reply<xcb_generic_error_t> error{xcb_request_check(connection, cookie)};
    return error == nullptr && xcb_connection_has_error(connection) == 0;
}

}  // namespace glimtap::platform
