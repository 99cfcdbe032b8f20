#pragma once

#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// What the X server itself says about windows on the display named by $DISPLAY, asked on a
// connection of its own, as another program on the desktop would see them.
class WindowObserver {
public:
    // Mapped with all its ancestors; false for a window that does not exist.
    bool IsViewable(xcb_window_t window) {
        xcb_connection_t* c = connection_.Get();
        const platform::Reply<xcb_get_window_attributes_reply_t> attributes{
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr)};
        return attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

private:
    platform::X11Connection connection_;
};

}  // namespace glimtap::test
