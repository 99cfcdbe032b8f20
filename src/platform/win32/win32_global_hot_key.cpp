#include "platform/win32/win32_global_hot_key.h"

#include <future>
#include <iterator>

namespace glimtap::platform {
namespace {

constexpr const char* kKeyNames[] = {"F6", "F7", "F8", "F9", "F10", "F11", "F12"};
// Asks the loop to grab; it carries a promise of the key's name.
constexpr UINT kGrabMessage = WM_APP + 1;

}  // namespace

std::string Win32GlobalHotKey::GrabFirstFree() { return loop_.Ask<std::string>(kGrabMessage, ""); }

void Win32GlobalHotKey::OnPressed(Pressed pressed) {
    const std::lock_guard lock(mutex_);
    pressed_ = std::move(pressed);
}

void Win32GlobalHotKey::RunLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == kGrabMessage) {
            MessageLoopThread::Take<std::promise<std::string>>(message)->set_value(Grab());
        } else if (message.message == WM_HOTKEY && static_cast<int>(message.wParam) == held_) {
            const std::lock_guard lock(mutex_);
            if (pressed_) pressed_();
        }
    }
    if (held_ != 0) UnregisterHotKey(nullptr, held_);
}

std::string Win32GlobalHotKey::Grab() {
    if (held_ != 0) UnregisterHotKey(nullptr, held_);
    held_ = 0;
    for (int key = 0; key < static_cast<int>(std::size(kKeyNames)); ++key) {
        // Lock keys do not count as modifiers here; MOD_NOREPEAT drops auto-repeat.
        if (RegisterHotKey(nullptr, key + 1, MOD_NOREPEAT, VK_F6 + key)) {
            held_ = key + 1;
            return kKeyNames[key];
        }
    }
    return "";
}

}  // namespace glimtap::platform
