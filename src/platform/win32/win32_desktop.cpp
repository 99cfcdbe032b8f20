#include "platform/win32/win32_desktop.h"

#include <windows.h>

namespace glimtap::platform {

Size Win32Desktop::VirtualScreenSize() const {
    const ScreenRect screen = VirtualScreen();
    return {screen.width, screen.height};
}

ScreenRect Win32Desktop::VirtualScreen() const {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

}  // namespace glimtap::platform
