#include "response/screen_markers.h"

#include <algorithm>

namespace glimtap {

ScreenMarkers::ScreenMarkers(const platform::Desktop& desktop) : desktop_(desktop) {}

void ScreenMarkers::Show(const platform::ScreenRect& rect, int seconds, MarkerKind kind) {
    if (rect.width < 1 || rect.height < 1 || seconds < 1) return;
    Forget();
    const auto same = std::find_if(markers_.begin(), markers_.end(),
                                   [&rect](const Marker& marker) { return marker.rect == rect; });
    if (same != markers_.end()) {
        same->window->Restart(seconds);
        return;
    }
    if (static_cast<int>(markers_.size()) >= kMostAlive) return;
    auto* window = new CScreenOverlay(rect, seconds, desktop_.CompositorRunning(), kind);
    window->show();
    markers_.push_back({rect, window});
}

int ScreenMarkers::Alive() {
    Forget();
    return static_cast<int>(markers_.size());
}

void ScreenMarkers::Forget() {
    // A marker that closed is deleted later; one closing is as good as gone.
    std::erase_if(markers_, [](const Marker& marker) {
        return marker.window.isNull() || !marker.window->isVisible();
    });
}

}  // namespace glimtap
