#include "platform/x11/x11_keyboard_locks.h"

namespace glimtap::platform {

std::optional<LockKeys> X11KeyboardLocks::State() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_keyboard_control_reply_t> control{xcb_get_keyboard_control_reply(
        connection, xcb_get_keyboard_control(connection), nullptr)};
    if (control == nullptr) return std::nullopt;
    const uint32_t leds = control->led_mask;
    return LockKeys{(leds & 1u) != 0, (leds & 2u) != 0, (leds & 4u) != 0};
}

}  // namespace glimtap::platform
