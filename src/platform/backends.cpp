#include "platform/backends.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/null/null_backend_set.h"
#include "platform/unavailable.h"
// CMake defines GLIMTAP_WITH_<backend> for the backends it builds; only this file asks.
#if GLIMTAP_WITH_WAYLAND
#include "platform/wayland/wayland_backend_set.h"
#include "platform/wayland/wayland_connection.h"
#endif
#if GLIMTAP_WITH_PORTAL
#include "platform/portal/portal_backend_set.h"
#endif
#if GLIMTAP_WITH_X11
#include "platform/x11/x11_backend_set.h"
#include "platform/x11/x11_connection.h"
#endif
#if GLIMTAP_WITH_WIN32
#include "platform/win32/win32_backend_set.h"
#endif

namespace glimtap::platform {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

template <typename Set>
std::unique_ptr<BackendSet> Open() {
    try {
        return std::make_unique<Set>();
    } catch (const Unavailable& e) {
        return std::make_unique<NullBackendSet>(e.what());
    }
}

std::unique_ptr<BackendSet> OpenX11() {
#if GLIMTAP_WITH_X11
    return Open<X11BackendSet>();
#else
    return std::make_unique<NullBackendSet>("this Glimtap is built without X11");
#endif
}

std::unique_ptr<BackendSet> OpenWayland() {
#if GLIMTAP_WITH_WAYLAND
    return Open<WaylandBackendSet>();
#else
    return std::make_unique<NullBackendSet>("this Glimtap is built without Wayland");
#endif
}

std::unique_ptr<BackendSet> OpenWin32() {
#if GLIMTAP_WITH_WIN32
    return Open<Win32BackendSet>();
#else
    return std::make_unique<NullBackendSet>("this Glimtap is built without Win32");
#endif
}

#if GLIMTAP_WITH_PORTAL
// Where markers go beside the portal: XWayland's override-redirect windows, which GNOME
// places exactly and keeps on top, else layer-shell (KDE).
OverlaySurfaces PortalOverlays() {
#if GLIMTAP_WITH_X11
    if (!Environment("DISPLAY").empty()) {
        try {
            const X11Connection display;
            return OverlaySurfaces::kX11Windows;
        } catch (const Unavailable&) {
        }
    }
#endif
#if GLIMTAP_WITH_WAYLAND
    try {
        if (WaylandConnection().LayerShell() != nullptr) return OverlaySurfaces::kLayerShell;
    } catch (const Unavailable&) {
    }
#endif
    return OverlaySurfaces::kNone;
}

std::unique_ptr<BackendSet> OpenPortal(const std::optional<PortalOffer>& offer,
                                       ConsentMemory* memory) {
    if (!offer) return std::make_unique<NullBackendSet>("no session bus answers");
    if (offer->screenCast == 0) {
        return std::make_unique<NullBackendSet>("the desktop portal offers no ScreenCast");
    }
    try {
        return std::make_unique<PortalBackendSet>(*offer, PortalOverlays(), memory);
    } catch (const Unavailable& e) {
        return std::make_unique<NullBackendSet>(e.what());
    }
}
#endif

std::unique_ptr<BackendSet> OpenPortal(ConsentMemory* memory) {
#if GLIMTAP_WITH_PORTAL
    return OpenPortal(AskPortalOffer(), memory);
#else
    (void)memory;
    return std::make_unique<NullBackendSet>("this Glimtap is built without the desktop portal");
#endif
}

// Windows has one desktop, whatever the environment says (wine passes on $DISPLAY).
#if GLIMTAP_WITH_WIN32
constexpr bool kWindowsDesktop = true;
#else
constexpr bool kWindowsDesktop = false;
#endif

// The wlroots protocols first, then the desktop portal. Never XWayland: it shows only X11
// windows, black elsewhere.
std::unique_ptr<BackendSet> OpenWaylandSession(ConsentMemory* memory) {
    auto wayland = OpenWayland();
    if (wayland->CanCapture()) return wayland;
#if GLIMTAP_WITH_PORTAL
    const std::optional<PortalOffer> offer = AskPortalOffer();
    if (offer && offer->screenCast != 0) return OpenPortal(offer, memory);
#else
    (void)memory;
#endif
    // No compositor at all: WAYLAND_DISPLAY is stale, and X11 may serve.
    if (wayland->Name() == "null") {
        return Environment("DISPLAY").empty() ? std::move(wayland) : OpenX11();
    }
    return std::make_unique<NullBackendSet>(
        "this Wayland desktop offers neither the wlroots screen capture nor the desktop "
        "portal's ScreenCast");
}

}  // namespace

std::string WindowDisplayMissing(const BackendSet& backends) {
    // A set that opened a desktop shows windows there.
    if (dynamic_cast<const NullBackendSet*>(&backends) == nullptr) return "";
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) {
        return "neither WAYLAND_DISPLAY nor DISPLAY is set";
    }
#if GLIMTAP_WITH_X11
    try {
        const X11Connection display;
        return "";
    } catch (const Unavailable& e) {
        return e.what();
    }
#else
    return backends.Missing();
#endif
}

std::unique_ptr<BackendSet> OpenBackends(ConsentMemory* memory) {
    const std::string chosen = Environment("GLIMTAP_BACKEND");
    if (chosen == "wayland") return OpenWayland();
    if (chosen == "portal") return OpenPortal(memory);
    if (chosen == "x11") return OpenX11();
    if (chosen == "win32") return OpenWin32();
    if (chosen == "null") {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND=null turns the desktop off");
    }
    if (!chosen.empty()) {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND='" + chosen +
                                                "' is unknown (wayland, portal, x11, win32 or null)");
    }
    if (kWindowsDesktop) return OpenWin32();
    if (!Environment("WAYLAND_DISPLAY").empty()) return OpenWaylandSession(memory);
    if (!Environment("DISPLAY").empty()) return OpenX11();
    return std::make_unique<NullBackendSet>(
        "no desktop session (neither WAYLAND_DISPLAY nor DISPLAY is set)");
}

}  // namespace glimtap::platform
