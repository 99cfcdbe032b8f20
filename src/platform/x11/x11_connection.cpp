#include "platform/x11/x11_connection.h"

#include "platform/backends.h"

namespace glimtap::platform {

namespace {

std::string DisplayFromEnvironment() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

}  // namespace

X11Connection::X11Connection() : display_name_(DisplayFromEnvironment()) {
    if (display_name_.empty()) throw Unavailable("cannot open X display: DISPLAY is not set");
    int screen_number = 0;
    // xcb_connect never returns null; a failed connection still has to be disconnected.
    connection_.reset(xcb_connect(display_name_.c_str(), &screen_number));
    if (xcb_connection_has_error(connection_.get()) != 0) {
        throw Unavailable("cannot open X display '" + display_name_ + "'");
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) {
        throw Unavailable("X display '" + display_name_ + "' has no screen " +
                          std::to_string(screen_number));
    }
    screen_ = screens.data;
}

}  // namespace glimtap::platform
