#include "response/wayland/surface_session_for.h"

#include <stdexcept>

namespace glimtap {

std::shared_ptr<SurfaceSession> SurfaceSessionFor(const platform::BackendSet& backends) {
    if (backends.Overlays() != platform::OverlaySurfaces::kLayerShell) return nullptr;
    try {
        return SurfaceSession::Open();
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

}  // namespace glimtap
