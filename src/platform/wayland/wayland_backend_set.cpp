#include "platform/wayland/wayland_backend_set.h"

#include "platform/desktop_launcher.h"
#include "platform/unavailable.h"
#include "platform/wayland/wayland_capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop.h"

namespace glimtap::platform {

WaylandBackendSet::WaylandBackendSet()
    : WaylandBackendSet(std::make_unique<WaylandConnection>()) {}

WaylandBackendSet::WaylandBackendSet(std::unique_ptr<WaylandConnection> connection)
    : BackendSet("wayland", CaptureMissing(*connection)),
      canCapture_(CaptureMissing(*connection).empty()) {
    desktop_ = std::make_unique<WaylandDesktop>(std::move(connection));
    launcher_ = std::make_unique<DesktopLauncher>();
}

WaylandBackendSet::~WaylandBackendSet() { CloseServices(); }

std::string WaylandBackendSet::CaptureMissing(const WaylandConnection& connection) {
    if (connection.ScreencopyManager() != nullptr && connection.Shm() != nullptr) return "";
    return "the " + connection.Description() +
           " offers no screen capture (wlr-screencopy): only wlroots compositors such as "
           "sway do";
}

std::unique_ptr<ScreenCapture> WaylandBackendSet::OpenCapture() {
    if (!canCapture_) return nullptr;
    try {
        return std::make_unique<WaylandCapture>();
    } catch (const Unavailable&) {
        return nullptr;  // the compositor has gone since the set opened
    }
}

}  // namespace glimtap::platform
