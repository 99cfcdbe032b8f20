#include "platform/backends.h"

#include <cstdlib>
#include <string>

#include "platform/null/null_backend_set.h"
#include "platform/unavailable.h"
#include "platform/x11/x11_backend_set.h"

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

}  // namespace

std::unique_ptr<BackendSet> OpenBackends() {
    const std::string chosen = Environment("GLIMTAP_BACKEND");
    if (chosen == "x11") return OpenX11();
    if (chosen == "null") {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND=null turns the desktop off");
    }
    if (!chosen.empty()) {
        return std::make_unique<NullBackendSet>("GLIMTAP_BACKEND='" + chosen +
                                                "' is unknown (x11 or null)");
    }
    if (!Environment("DISPLAY").empty()) return OpenX11();
    return std::make_unique<NullBackendSet>("no desktop session (DISPLAY is not set)");
}

}  // namespace glimtap::platform
