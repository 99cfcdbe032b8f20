#pragma once

#include <windows.h>

namespace glimtap::platform {

// user32's touch injection, which older Windows and wine lack: looked up at run time so
// that the program starts without it, and handed in so that a test can stand in for it.
struct TouchInjectionCalls {
    BOOL(WINAPI* initialize)(UINT32 maxCount, DWORD feedbackMode) = nullptr;
    BOOL(WINAPI* inject)(UINT32 count, const POINTER_TOUCH_INFO* contacts) = nullptr;
};

// This system's calls; both null when it has no touch injection.
TouchInjectionCalls SystemTouchInjection();

}  // namespace glimtap::platform
