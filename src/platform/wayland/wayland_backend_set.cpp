#include "platform/wayland/wayland_backend_set.h"

#include "platform/desktop_launcher.h"
#include "platform/uinput/uinput_touch.h"
#include "platform/unavailable.h"
#include "platform/wayland/virtual_pointer_tap.h"
#include "platform/wayland/wayland_capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/wayland_pointer.h"

namespace glimtap::platform {

WaylandBackendSet::WaylandBackendSet() : WaylandBackendSet(std::make_unique<WaylandConnection>()) {}

WaylandBackendSet::WaylandBackendSet(std::unique_ptr<WaylandConnection> connection)
    : BackendSet("wayland", CaptureMissing(*connection)),
      canCapture_(CaptureMissing(*connection).empty()),
      hasVirtualPointer_(connection->VirtualPointerManager() != nullptr) {
    desktop_ = std::make_unique<WaylandDesktop>(std::move(connection));
    launcher_ = std::make_unique<DesktopLauncher>();
    // Compositors outside the wlroots family offer no virtual pointer.
    if (hasVirtualPointer_) pointer_ = std::make_unique<WaylandPointer>();
}

WaylandBackendSet::~WaylandBackendSet() { CloseServices(); }

std::string WaylandBackendSet::CaptureMissing(const WaylandConnection& connection) {
    if (connection.ScreencopyManager() != nullptr && connection.Shm() != nullptr) return "";
    return "the " + connection.Description() +
           " offers no screen capture (wlr-screencopy): only wlroots compositors such as "
           "sway do";
}

std::unique_ptr<TouchInjector> WaylandBackendSet::MakeTouch() {
    try {
        // The compositor spreads a touch screen over its whole layout unless told otherwise.
        return std::make_unique<UinputTouch>(desktop_->VirtualScreenSize());
    } catch (const Unavailable&) {
        // No access to /dev/uinput is the usual case for a desktop user.
    }
    if (!hasVirtualPointer_) return nullptr;
    return std::make_unique<VirtualPointerTap>();
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
