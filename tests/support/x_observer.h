#pragma once

#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// What the X server itself says about windows on the display named by $DISPLAY, asked on a
// connection of its own, as another program on the desktop would see them.
class WindowObserver {
public:
    // Mapped with all its ancestors; false for a window that does not exist.
    bool IsViewable(xcb_window_t window) { return Attributes(window).map_state == XCB_MAP_STATE_VIEWABLE; }

private:
    // All zero for a window that does not exist.
    xcb_get_window_attributes_reply_t Attributes(xcb_window_t window);

    platform::X11Connection connection_;
};

}  // namespace glimtap::test
