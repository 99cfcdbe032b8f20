#pragma once

#include "platform/keyboard_locks.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The core keyboard's LEDs of the X display named by $DISPLAY: Caps Lock is LED 1, Num Lock
// LED 2 and Scroll Lock LED 3, as the X keyboard extension numbers its standard indicators.
class X11KeyboardLocks : public KeyboardLocks {
public:
    // Throws Unavailable when the display cannot be opened.
    X11KeyboardLocks() = default;

    std::optional<LockKeys> State() override;

private:
    X11Connection connection_;
};

}  // namespace glimtap::platform
