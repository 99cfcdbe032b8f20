#include "platform/backends.h"

#include "platform/desktop_launcher.h"
#include "platform/uinput/uinput_touch.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_global_hot_key.h"
#include "platform/x11/x11_keyboard_locks.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/xtest_tap.h"

namespace glimtap::platform {

std::unique_ptr<Desktop> OpenDesktop() { return std::make_unique<X11Desktop>(); }

std::unique_ptr<ScreenCapture> OpenScreenCapture() {
    return std::make_unique<X11ScreenCapture>();
}

std::unique_ptr<Pointer> OpenPointer() { return std::make_unique<X11Pointer>(); }

std::unique_ptr<TouchInjector> OpenTouchInjector() {
    try {
        return std::make_unique<UinputTouch>(X11Desktop().VirtualScreenSize());
    } catch (const Unavailable&) {
        // No access to /dev/uinput is the usual case for a desktop user.
        return std::make_unique<XTestTap>();
    }
}

std::unique_ptr<Launcher> OpenLauncher() { return std::make_unique<DesktopLauncher>(); }

std::unique_ptr<GlobalHotKey> OpenGlobalHotKey() { return std::make_unique<X11GlobalHotKey>(); }

std::unique_ptr<KeyboardLocks> OpenKeyboardLocks() { return std::make_unique<X11KeyboardLocks>(); }

}  // namespace glimtap::platform
