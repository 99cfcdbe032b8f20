#pragma once

#include <QPointer>

#include <vector>

#include "platform/geometry.h"
#include "response/marker_surface.h"
#include "response/screen_marker.h"

namespace glimtap {

// The markers one owner puts on screen. A rectangle whose marker is still up gets no second
// one: its countdown starts afresh. At most `kMostAlive` are up at once; a further one is
// not shown until one goes. Markers still up outlive their owner. Application thread only.
class ScreenMarkers {
public:
    static constexpr int kMostAlive = 16;
    // How long a marker stays on screen.
    static constexpr int kSeconds = 3;

    // `surfaces` makes the markers' surfaces and must outlive this; null shows none.
    explicit ScreenMarkers(MarkerSurfaces* surfaces);

    // Shows a marker around `rect` (physical pixels) for `seconds`. An empty rectangle or no
    // time shows nothing.
    void Show(const platform::ScreenRect& rect, MarkerKind kind = MarkerKind::kMatch,
              int seconds = kSeconds);
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
