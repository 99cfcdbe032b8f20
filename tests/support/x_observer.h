#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

#include "platform/geometry.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// What the X server itself says about windows on the display named by $DISPLAY, asked on a
// connection of its own, as another program on the desktop would see them.
class WindowObserver {
public:
    // Where the window lies in root coordinates; nullopt when it does not exist.
    std::optional<platform::ScreenRect> RootGeometry(xcb_window_t window);
    // Mapped with all its ancestors; false for a window that does not exist.
    bool IsViewable(xcb_window_t window) { return Attributes(window).map_state == XCB_MAP_STATE_VIEWABLE; }
    // Out of the window manager's hands (and so off any task bar).
    bool IsOverrideRedirect(xcb_window_t window) { return Attributes(window).override_redirect != 0; }
    // _NET_WM_WINDOW_OPACITY, 0xFFFFFFFF for opaque; nullopt when not set.
    std::optional<uint32_t> Opacity(xcb_window_t window);
    xcb_window_t InputFocus();

private:
    // All zero for a window that does not exist.
    xcb_get_window_attributes_reply_t Attributes(xcb_window_t window);

    platform::X11Connection connection_;
};

}  // namespace glimtap::test
