#include "platform/win32/win32_pointer.h"

#include <windows.h>

namespace glimtap::platform {

bool Win32Pointer::MoveTo(int32_t x, int32_t y) { return SetPhysicalCursorPos(x, y) != 0; }

std::optional<Point> Win32Pointer::Position() {
    POINT at{};
    if (!GetPhysicalCursorPos(&at)) return std::nullopt;
    return Point{at.x, at.y};
}

void Win32Pointer::NudgeHorizontally(int32_t dx) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
}

}  // namespace glimtap::platform
