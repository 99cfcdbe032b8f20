#pragma once

#include <memory>

#include "response/marker_surface.h"
#include "response/wayland/surface_session.h"

namespace glimtap {

// Markers on a wlroots compositor, as layer-shell surfaces: the overlay layer, an empty
// input region (clicks go through to the window under the marker), no keyboard, placed by
// margins from the corner of the output holding most of the match, and transparent but for
// the marker drawn around the match, whose physical pixels stay as they are. Qt 6 cannot
// place its windows on Wayland, and Debian has no layer-shell library for it: these are plain
// Wayland client surfaces on the session's own connection, painted by QPainter into shared
// memory with the same drawing as the X11 windows.
class LayerMarkers : public MarkerSurfaces {
public:
    explicit LayerMarkers(std::shared_ptr<SurfaceSession> session);
    std::unique_ptr<MarkerSurface> Open(const platform::ScreenRect& rect, MarkerKind kind,
                                        std::function<void()> closed) override;

private:
    std::shared_ptr<SurfaceSession> session_;
};

}  // namespace glimtap
