#include "platform/x11/x11_desktop.h"

#include "platform/backends.h"

namespace glimtap::platform {

X11Desktop::X11Desktop() {
    try {
        connection_.emplace();
    } catch (const Unavailable&) {
        // Left empty: callers get 0 x 0, as without a display.
    }
}

Size X11Desktop::VirtualScreenSize() const {
    if (!connection_) return {};
    xcb_connection_t* connection = connection_->get();
    // Asked each time: the root grows and shrinks as monitors come and go.
    const Reply<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, connection_->Root()), nullptr)};
    if (geometry == nullptr) return {};
    return {geometry->width, geometry->height};
}

}  // namespace glimtap::platform
