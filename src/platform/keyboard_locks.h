#pragma once

#include <optional>

namespace glimtap::platform {

struct LockKeys {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
    friend bool operator==(const LockKeys&, const LockKeys&) = default;
};

// The keyboard's lock lights, for the status bar. Asked from the thread that opened the
// backend set; nothing is thrown.
class KeyboardLocks {
public:
    virtual ~KeyboardLocks() = default;
    // nullopt when the state cannot be learnt.
    virtual std::optional<LockKeys> State() = 0;
};

}  // namespace glimtap::platform
