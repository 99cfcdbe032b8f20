#pragma once

#include "platform/keyboard_locks.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The core keyboard's LEDs of an X display: Caps Lock is LED 1, Num Lock LED 2 and Scroll
// Lock LED 3, as the X keyboard extension numbers its standard indicators.
class X11KeyboardLocks : public KeyboardLocks {
public:
    explicit X11KeyboardLocks(const X11Connection& connection) : connection_(connection) {}

    std::optional<LockKeys> State() override;

private:
    const X11Connection& connection_;
};

}  // namespace glimtap::platform
