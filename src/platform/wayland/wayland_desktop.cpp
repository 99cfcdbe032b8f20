#include "platform/wayland/wayland_desktop.h"

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

}  // namespace glimtap::platform
