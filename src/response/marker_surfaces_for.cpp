#include "response/marker_surfaces_for.h"

#include "response/screen_overlay.h"
#include "response/wayland/layer_markers.h"
#include "response/wayland/surface_session_for.h"

namespace glimtap {

std::unique_ptr<MarkerSurfaces> MarkerSurfacesFor(platform::BackendSet& backends) {
    switch (backends.Overlays()) {
    case platform::OverlaySurfaces::kX11Windows:
        return std::make_unique<ScreenOverlays>(backends.Geometry());
    case platform::OverlaySurfaces::kLayerShell:
        if (std::shared_ptr<SurfaceSession> session = SurfaceSessionFor(backends)) {
            return std::make_unique<LayerMarkers>(std::move(session));
        }
        break;
    case platform::OverlaySurfaces::kNone:
    case platform::OverlaySurfaces::kWin32Windows:
        break;
    }
    return nullptr;
}

}  // namespace glimtap
