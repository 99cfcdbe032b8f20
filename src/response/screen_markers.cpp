#include "response/screen_markers.h"

#include <algorithm>

namespace glimtap {

ScreenMarkers::ScreenMarkers(MarkerSurfaces* surfaces) : surfaces_(surfaces) {}

void ScreenMarkers::Show(const platform::ScreenRect& rect, MarkerKind kind, int seconds) {
    if (surfaces_ == nullptr || rect.width < 1 || rect.height < 1 || seconds < 1) return;
    Forget();
    const auto same = std::find_if(markers_.begin(), markers_.end(),
                                   [&rect](const Marker& marker) { return marker.rect == rect; });
    if (same != markers_.end()) {
        same->marker->Restart(seconds);
        return;
    }
    if (static_cast<int>(markers_.size()) >= kMostAlive) return;
    if (ScreenMarker* marker = ScreenMarker::Open(*surfaces_, rect, kind, seconds)) {
        markers_.push_back({rect, marker});
    }
}

int ScreenMarkers::Alive() {
    Forget();
    return static_cast<int>(markers_.size());
}

void ScreenMarkers::Forget() {
    // A marker that ended is deleted later; one going is as good as gone.
    std::erase_if(markers_, [](const Marker& marker) {
        return marker.marker.isNull() || !marker.marker->Counting();
    });
}

}  // namespace glimtap
