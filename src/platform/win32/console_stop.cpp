#include "platform/win32/console_stop.h"

#include <windows.h>

#include <mutex>
#include <utility>

namespace glimtap::platform {
namespace {

// The console's handler takes no context: it reaches the one ConsoleStop through these.
std::mutex stopMutex;
std::function<void()> stopNow;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    const std::lock_guard lock(stopMutex);
    if (!stopNow) return FALSE;
    stopNow();
    return TRUE;
}

}  // namespace

ConsoleStop::ConsoleStop(std::function<void()> stop) {
    {
        const std::lock_guard lock(stopMutex);
        stopNow = std::move(stop);
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

ConsoleStop::~ConsoleStop() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    // Waits for a handler under way, which may still be calling `stop`.
    const std::lock_guard lock(stopMutex);
    stopNow = nullptr;
}

}  // namespace glimtap::platform
