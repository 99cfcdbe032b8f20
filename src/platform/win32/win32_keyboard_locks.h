#pragma once

#include "platform/keyboard_locks.h"

namespace glimtap::platform {

// The toggle state of the lock keys as this thread's keyboard state sees it.
class Win32KeyboardLocks : public KeyboardLocks {
public:
    std::optional<LockKeys> State() override;
};

}  // namespace glimtap::platform
