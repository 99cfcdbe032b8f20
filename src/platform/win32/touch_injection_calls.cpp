#include "platform/win32/touch_injection_calls.h"

namespace glimtap::platform {

TouchInjectionCalls SystemTouchInjection() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return {};
    TouchInjectionCalls calls;
    // GetProcAddress hands out every function as FARPROC; these have the signatures above.
    calls.initialize = reinterpret_cast<decltype(calls.initialize)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "InitializeTouchInjection")));
    calls.inject = reinterpret_cast<decltype(calls.inject)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "InjectTouchInput")));
    if (calls.initialize == nullptr || calls.inject == nullptr) return {};
    return calls;
}

}  // namespace glimtap::platform
