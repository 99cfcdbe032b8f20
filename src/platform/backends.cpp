#include "platform/backends.h"

#include <cstdlib>
#include <string>

#include "platform/null/null_backend_set.h"
#include "platform/unavailable.h"
#include "platform/wayland/wayland_backend_set.h"
#include "platform/x11/x11_backend_set.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::unique_ptr<BackendSet> OpenX11() {
    try {
        return std::make_unique<X11BackendSet>();
    } catch (const Unavailable& e) {
        return std::make_unique<NullBackendSet>(e.what());
    }
}

// A compositor that cannot capture is of no use when X11 (XWayland, say) can take over.
std::unique_ptr<BackendSet> OpenWaylandSession() {
    std::string why;
    try {
        auto wayland = std::make_unique<WaylandBackendSet>();
        if (wayland->CanCapture()) return wayland;
        why = wayland->Missing();
    } catch (const Unavailable& e) {
        why = e.what();
    }
    if (!Environment("DISPLAY").empty()) return OpenX11();
    return std::make_unique<NullBackendSet>(why);
}

std::unique_ptr<BackendSet> OpenWayland() {
    try {
        return std::make_unique<WaylandBackendSet>();
    } catch (const Unavailable& e) {
        return std::make_unique<NullBackendSet>(e.what());
    }
}

}  // namespace

std::string WindowDisplayMissing(const BackendSet& backends) {
    // A set that opened a desktop shows windows there.
    if (dynamic_cast<const NullBackendSet*>(&backends) == nullptr) return "";
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) {
        return "neither WAYLAND_DISPLAY nor DISPLAY is set";
    }
    try {
        const X11Connection display;
        return "";
    } catch (const Unavailable& e) {
        return e.what();
    }
}

std::unique_ptr<BackendSet> OpenBackends() {
    const std::string chosen = Environment("GLIMTAP_BACKEND");
    if (chosen == "wayland") return OpenWayland();
    if (chosen == "x11") return OpenX11();
    if (chosen == "null") {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND=null turns the desktop off");
    }
    if (!chosen.empty()) {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND='" + chosen +
                                                "' is unknown (wayland, x11 or null)");
    }
    if (!Environment("WAYLAND_DISPLAY").empty()) return OpenWaylandSession();
    if (!Environment("DISPLAY").empty()) return OpenX11();
    return std::make_unique<NullBackendSet>(
        "no desktop session (neither WAYLAND_DISPLAY nor DISPLAY is set)");
}

}  // namespace glimtap::platform
