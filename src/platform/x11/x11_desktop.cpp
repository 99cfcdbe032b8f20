#include "platform/x11/x11_desktop.h"

#include <string>

#include "platform/hang_up.h"

namespace glimtap::platform {

bool X11Desktop::CompositorRunning() const {
    xcb_connection_t* connection = connection_.Get();
    int number = 0;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
         it.rem > 0 && it.data->root != connection_.Root(); xcb_screen_next(&it)) {
        ++number;
    }
    const std::string name = "_NET_WM_CM_S" + std::to_string(number);
    const Reply<xcb_intern_atom_reply_t> atom{xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
        nullptr)};
    if (atom == nullptr) return false;
    // Asked each time: a compositor may come or go while the program runs.
    const Reply<xcb_get_selection_owner_reply_t> owner{xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr)};
    return owner != nullptr && owner->owner != XCB_NONE;
}

std::string X11Desktop::Lost(std::chrono::milliseconds patience) const {
    if (!HungUp(xcb_get_file_descriptor(connection_.Get()), patience)) return "";
    return connection_.LostMessage();
}

}  // namespace glimtap::platform
