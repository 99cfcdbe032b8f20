#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "platform/consent_memory.h"

// The one place that knows which platforms exist and picks one; the rest of the program asks
// the set it picked what it offers.
namespace glimtap::platform {

// GLIMTAP_BACKEND when set ("wayland", "portal", "x11", "win32", "null"), else Win32 on
// Windows, else the session: where WAYLAND_DISPLAY is set, the wlroots compositor when it can
// capture the screen, else the desktop portal when the session bus offers its ScreenCast,
// else none (never XWayland, which sees only X11 windows); else X11 when DISPLAY is set.
// A platform that cannot be opened, or an unknown name, gives the null set, whose
// Missing() says why. Never null. A desktop that asks its user's consent keeps what makes
// it ask once in `memory` (null: nothing is kept, so it asks every run).
std::unique_ptr<BackendSet> OpenBackends(ConsentMemory* memory = nullptr);

// Why the window has no display to be shown on: the set's own desktop, else for the null
// set the X display that DISPLAY names; "" when it has one.
std::string WindowDisplayMissing(const BackendSet& backends);

}  // namespace glimtap::platform
