#include "response/marker_surfaces_for.h"

#include "response/screen_overlay.h"

namespace glimtap {

std::unique_ptr<MarkerSurfaces> MarkerSurfacesFor(platform::BackendSet& backends) {
    return std::make_unique<ScreenOverlays>(backends.Geometry());
}

}  // namespace glimtap
