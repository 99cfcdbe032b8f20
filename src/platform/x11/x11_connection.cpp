#include "platform/x11/x11_connection.h"

#include "platform/unavailable.h"

namespace glimtap::platform {

namespace {

std::string DisplayFromEnvironment() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

}  // namespace

X11Connection::X11Connection() : displayName_(DisplayFromEnvironment()) {
    if (displayName_.empty()) throw Unavailable("cannot open X display: DISPLAY is not set");
    int screenNumber = 0;
    // xcb_connect never returns null; a failed connection still has to be disconnected.
    connection_.reset(xcb_connect(displayName_.c_str(), &screenNumber));
    if (xcb_connection_has_error(connection_.get()) != 0) {
        throw Unavailable("cannot open X display '" + displayName_ + "'");
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) {
        throw Unavailable("X display '" + displayName_ + "' has no screen " +
                          std::to_string(screenNumber));
    }
    screen_ = screens.data;
}

Size X11Connection::RootSize() const {
    xcb_connection_t* connection = connection_.get();
    const Reply<xcb_get_geometry_reply_t> geometry{
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, Root()), nullptr)};
    if (geometry == nullptr) return {};
    return {geometry->width, geometry->height};
}

}  // namespace glimtap::platform
