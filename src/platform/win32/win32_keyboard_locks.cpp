#include "platform/win32/win32_keyboard_locks.h"

#include <windows.h>

namespace glimtap::platform {

std::optional<LockKeys> Win32KeyboardLocks::State() {
    // The low bit of GetKeyState is the key's toggle.
    const auto on = [](int key) { return (GetKeyState(key) & 1) != 0; };
    return LockKeys{on(VK_CAPITAL), on(VK_NUMLOCK), on(VK_SCROLL)};
}

}  // namespace glimtap::platform
