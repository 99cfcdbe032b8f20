#include "platform/wayland/wayland_desktop.h"

#include "platform/hang_up.h"

namespace glimtap::platform {

Size WaylandDesktop::VirtualScreenSize() const {
    const ScreenRect screen = VirtualScreen();
    return {screen.width, screen.height};
}

ScreenRect WaylandDesktop::VirtualScreen() const {
    const std::lock_guard lock(mutex_);
    if (!connection_->Roundtrip()) return {};
    return connection_->DesktopBounds();
}

std::string WaylandDesktop::Lost(std::chrono::milliseconds patience) const {
    // The descriptor and the name stay as they are: no lock needed.
    if (!HungUp(connection_->Fd(), patience)) return "";
    return "the connection to the " + connection_->Description() + " was lost";
}

}  // namespace glimtap::platform
