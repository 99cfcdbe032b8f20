#include "platform/win32/win32_backend_set.h"

#include <windows.h>

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
    // Physical pixels everywhere: metrics, captures and cursor then agree on every monitor,
    // whatever its scale. Refused when a manifest has set it already, which is as good.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
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
