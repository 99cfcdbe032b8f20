#pragma once

#include "platform/geometry.h"

namespace glimtap {

// What a marker shows: a match (red frame), the closest miss (blue frame) or the search area
// (red frame, kept on the screen).
enum class MarkerKind { kMatch, kClosestMiss, kArea };

// The markers one owner puts on the screen: a frame around a rectangle with a countdown of
// the seconds it stays up. A rectangle whose marker is still up gets no second one: its
// countdown starts afresh. At most `kMostAlive` are up at once; a further one is not shown
// until one goes. Markers still up may outlive their owner.
// Show is called from any one thread at a time and never waits for the marker to be drawn;
// an implementation tied to one thread says which. Nothing is thrown: a marker that cannot be
// shown is let go.
class MatchMarkers {
public:
    static constexpr int kMostAlive = 16;
    // How long a match's marker stays on the screen.
    static constexpr int kSeconds = 3;

    virtual ~MatchMarkers() = default;
    // Shows a marker around `rect` (physical pixels of the virtual screen, which may lie left
    // of or above 0) for `seconds`. An empty rectangle or no time shows nothing.
    virtual void Show(const platform::ScreenRect& rect, MarkerKind kind, int seconds) = 0;
};

}  // namespace glimtap
