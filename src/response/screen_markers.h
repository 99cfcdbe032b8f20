#pragma once

#include <QPointer>

#include <vector>

#include "platform/geometry.h"
#include "reaction/match_markers.h"
#include "response/marker_surface.h"
#include "response/screen_marker.h"

namespace glimtap {

// The markers of Qt's desktops, drawn on the surfaces the backend set offers. Application
// thread only.
class ScreenMarkers : public MatchMarkers {
public:
    // `surfaces` makes the markers' surfaces and must outlive this; null shows none.
    explicit ScreenMarkers(MarkerSurfaces* surfaces);

    void Show(const platform::ScreenRect& rect, MarkerKind kind, int seconds) override;
    int Alive();

private:
    struct Marker {
        platform::ScreenRect rect;
        QPointer<ScreenMarker> marker;
    };
    void Forget();

    MarkerSurfaces* surfaces_;
    std::vector<Marker> markers_;
};

}  // namespace glimtap
