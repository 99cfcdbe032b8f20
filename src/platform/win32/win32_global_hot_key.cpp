#include "platform/win32/win32_global_hot_key.h"

#include <future>
#include <iterator>
#include <memory>

namespace glimtap::platform {
namespace {

constexpr const char* kKeyNames[] = {"F6", "F7", "F8", "F9", "F10", "F11", "F12"};
// Asks the loop to grab; lParam is a promise of the key's name, the loop's to delete.
constexpr UINT kGrabMessage = WM_APP + 1;

}  // namespace

Win32GlobalHotKey::Win32GlobalHotKey() {
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    loop_ = std::thread([this, started = std::move(started)]() mutable {
        MSG message;
        // Makes the thread's message queue before anyone posts to it.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        started.set_value(GetCurrentThreadId());
        RunLoop();
    });
    loopId_ = id.get();
}

Win32GlobalHotKey::~Win32GlobalHotKey() {
    PostThreadMessageW(loopId_, WM_QUIT, 0, 0);
    loop_.join();
}

std::string Win32GlobalHotKey::GrabFirstFree() {
    auto grabbed = std::make_unique<std::promise<std::string>>();
    std::future<std::string> name = grabbed->get_future();
    if (!PostThreadMessageW(loopId_, kGrabMessage, 0, reinterpret_cast<LPARAM>(grabbed.get()))) {
        return "";
    }
    grabbed.release();
    return name.get();
}

void Win32GlobalHotKey::OnPressed(Pressed pressed) {
    const std::lock_guard lock(mutex_);
    pressed_ = std::move(pressed);
}

void Win32GlobalHotKey::RunLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == kGrabMessage) {
            const std::unique_ptr<std::promise<std::string>> grabbed(
                reinterpret_cast<std::promise<std::string>*>(message.lParam));
            grabbed->set_value(Grab());
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
