#pragma once

#include <memory>
#include <stdexcept>

#include "platform/desktop.h"
#include "platform/global_hot_key.h"
#include "platform/keyboard_locks.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/screen_capture.h"
#include "platform/touch_injector.h"

// The one place that knows which desktop backends exist and picks them.
namespace glimtap::platform {

// A desktop service that cannot be had (no display, say); what() says why.
class Unavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Never null; reports 0 x 0 when no display can be reached.
std::unique_ptr<Desktop> OpenDesktop();

// Throws Unavailable when the display cannot be opened.
std::unique_ptr<ScreenCapture> OpenScreenCapture();

// Throws Unavailable when the display cannot be opened or lacks XTest.
std::unique_ptr<Pointer> OpenPointer();

// A virtual touch screen when /dev/uinput lets us make one, else XTest button taps.
// Throws Unavailable when neither can be had.
std::unique_ptr<TouchInjector> OpenTouchInjector();

// Never null.
std::unique_ptr<Launcher> OpenLauncher();

// Throws Unavailable when the display cannot be opened.
std::unique_ptr<GlobalHotKey> OpenGlobalHotKey();

// Throws Unavailable when the display cannot be opened.
std::unique_ptr<KeyboardLocks> OpenKeyboardLocks();

}  // namespace glimtap::platform
