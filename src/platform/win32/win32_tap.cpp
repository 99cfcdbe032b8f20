#include "platform/win32/win32_tap.h"

#include "platform/win32/win32_desktop.h"

namespace glimtap::platform {
namespace {

bool OnVirtualScreen(Point at) {
    const ScreenRect screen = Win32Desktop().VirtualScreen();
    return at.x >= screen.left && at.y >= screen.top && at.x < screen.left + screen.width &&
           at.y < screen.top + screen.height;
}

bool SendButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof(input)) == 1;
}

}  // namespace

std::unique_ptr<TouchInjector> MakeWin32Tap(const TouchInjectionCalls& calls) {
    if (calls.initialize != nullptr && calls.inject != nullptr &&
        calls.initialize(1, TOUCH_FEEDBACK_DEFAULT)) {
        return std::make_unique<InjectedTouch>(calls);
    }
    return std::make_unique<SendInputClick>();
}

bool InjectedTouch::Down(Point at) {
    return Inject(at, POINTER_FLAG_DOWN | POINTER_FLAG_INRANGE | POINTER_FLAG_INCONTACT);
}

bool InjectedTouch::Up(Point at) { return Inject(at, POINTER_FLAG_UP); }

bool InjectedTouch::Inject(Point at, POINTER_FLAGS flags) {
    POINTER_TOUCH_INFO contact{};
    contact.pointerInfo.pointerType = PT_TOUCH;
    contact.pointerInfo.pointerId = 0;
    contact.pointerInfo.pointerFlags = flags;
    contact.pointerInfo.ptPixelLocation = {at.x, at.y};
    // A fingertip's few pixels around the point, upright, at middle pressure.
    contact.touchFlags = TOUCH_FLAG_NONE;
    contact.touchMask = TOUCH_MASK_CONTACTAREA | TOUCH_MASK_ORIENTATION | TOUCH_MASK_PRESSURE;
    contact.rcContact = {at.x - 2, at.y - 2, at.x + 2, at.y + 2};
    contact.orientation = 90;
    contact.pressure = 32000;
    return calls_.inject(1, &contact) != 0;
}

bool SendInputClick::Down(Point at) {
    if (!OnVirtualScreen(at) || !SetPhysicalCursorPos(at.x, at.y)) return false;
    return SendButton(MOUSEEVENTF_LEFTDOWN);
}

bool SendInputClick::Up(Point at) {
    if (!OnVirtualScreen(at) || !SetPhysicalCursorPos(at.x, at.y)) return false;
    return SendButton(MOUSEEVENTF_LEFTUP);
}

}  // namespace glimtap::platform
