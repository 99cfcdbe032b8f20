#include "response/marker_surfaces_for.h"

#include "response/screen_overlay.h"
#include "response/wayland/layer_markers.h"
#include "response/wayland/surface_session_for.h"

namespace glimtap {
namespace {

// A Wayland desktop without layer-shell surfaces has nowhere to put a marker.
class NoMarkerSurfaces : public MarkerSurfaces {
public:
    std::unique_ptr<MarkerSurface> Open(const platform::ScreenRect&, MarkerKind,
                                        std::function<void()>) override {
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<MarkerSurfaces> MarkerSurfacesFor(platform::BackendSet& backends) {
    if (backends.Name() != "wayland") return std::make_unique<ScreenOverlays>(backends.Geometry());
    if (std::shared_ptr<SurfaceSession> session = SurfaceSessionFor(backends)) {
        return std::make_unique<LayerMarkers>(std::move(session));
    }
    return std::make_unique<NoMarkerSurfaces>();
}

}  // namespace glimtap
