#include "platform/x11/x11_pointer.h"

#include <xcb/xtest.h>

#include "platform/x11/xtest_support.h"

namespace glimtap::platform {

X11Pointer::X11Pointer(const X11Connection& connection) : connection_(connection) {
    RequireXTest(connection_.Get());
}

bool X11Pointer::MoveTo(int32_t x, int32_t y) {
    xcb_connection_t* connection = connection_.Get();
    const xcb_void_cookie_t warp =
        xcb_warp_pointer_checked(connection, XCB_NONE, connection_.Root(), 0, 0, 0, 0,
                                 ToXCoordinate(x), ToXCoordinate(y));
    const Reply<xcb_generic_error_t> error{xcb_request_check(connection, warp)};
    return error == nullptr && xcb_connection_has_error(connection) == 0;
}

std::optional<Point> X11Pointer::Position() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_query_pointer_reply_t> pointer{xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, connection_.Root()), nullptr)};
    if (pointer == nullptr) return std::nullopt;
    return Point{pointer->root_x, pointer->root_y};
}

void X11Pointer::NudgeHorizontally(int32_t dx) {
    xcb_connection_t* connection = connection_.Get();
    // A detail of 1 makes XTest motion relative to where the pointer is. Waited for, so
    // that what other connections do next comes after it.
    const xcb_void_cookie_t motion = xcb_test_fake_input_checked(
        connection, XCB_MOTION_NOTIFY, 1, XCB_CURRENT_TIME, XCB_NONE, ToXCoordinate(dx), 0, 0);
    const Reply<xcb_generic_error_t> ignored{xcb_request_check(connection, motion)};
}

}  // namespace glimtap::platform
