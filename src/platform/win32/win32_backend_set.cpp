#include "platform/win32/win32_backend_set.h"

#include "platform/win32/touch_injection_calls.h"
#include "platform/win32/win32_capture.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_global_hot_key.h"
#include "platform/win32/win32_keyboard_locks.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_pointer.h"
#include "platform/win32/win32_tap.h"

namespace glimtap::platform {

Win32BackendSet::Win32BackendSet() : BackendSet("win32", "") {
    desktop_ = std::make_unique<Win32Desktop>();
    launcher_ = std::make_unique<Win32Launcher>();
    pointer_ = std::make_unique<Win32Pointer>();
    locks_ = std::make_unique<Win32KeyboardLocks>();
}

Win32BackendSet::~Win32BackendSet() { CloseServices(); }

std::unique_ptr<ScreenCapture> Win32BackendSet::OpenCapture() {
    return std::make_unique<Win32ScreenCapture>();
}

std::unique_ptr<TouchInjector> Win32BackendSet::MakeTouch() {
    return MakeWin32Tap(SystemTouchInjection());
}

std::unique_ptr<GlobalHotKey> Win32BackendSet::MakeHotKey() {
    return std::make_unique<Win32GlobalHotKey>();
}

}  // namespace glimtap::platform
