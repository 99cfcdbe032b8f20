#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/geometry.h"
#include "response/overlay_layout.h"

namespace glimtap {

// Where one marker shows: a surface around a rectangle of the desktop, above the windows,
// laid out by PlanMarker and drawn with PaintMarker, so the rectangle's own pixels stay as
// they are. It takes neither the keyboard focus nor clicks. Application thread only; nothing
// is thrown.
class MarkerSurface {
public:
    virtual ~MarkerSurface() = default;
    // Shows the marker with `seconds` left; the first call puts it on screen.
    virtual void Show(int64_t seconds) = 0;
};

// Makes the marker surfaces of one desktop; each backend set has its own kind. The surfaces
// it made may outlive it. Application thread only; nothing is thrown.
class MarkerSurfaces {
public:
    virtual ~MarkerSurfaces() = default;
    // A surface around `rect` (physical pixels, not empty), or null when none can be made.
    // `closed` runs at most once, from the event loop, when the user or the desktop closes
    // the surface before its owner does; the owner should then let it go.
    virtual std::unique_ptr<MarkerSurface> Open(const platform::ScreenRect& rect, MarkerKind kind,
                                                std::function<void()> closed) = 0;
};

}  // namespace glimtap
