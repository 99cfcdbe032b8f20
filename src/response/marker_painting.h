#pragma once

#include <cstdint>

#include "platform/geometry.h"
#include "response/overlay_layout.h"

class QPainter;

namespace glimtap {

// Paints the marker that `plan` lays out for a screen of `dpi` dots per inch on a surface
// whose top-left pixel is `origin` of the desktop, one painter unit per physical pixel: the
// band yellow, the frame red (blue for the closest miss), the countdown's box yellow inside a
// frame of its own, with `seconds` in black. Nothing else is painted, the hole least of all.
void PaintMarker(QPainter& painter, const MarkerPlan& plan, platform::Point origin, int32_t dpi,
                 MarkerKind kind, int64_t seconds);

// The same on an ARGB32 premultiplied picture cleared to transparent, the marker at
// kMarkerAlpha, for surfaces that the compositor blends by their own alpha.
void PaintTranslucentMarker(QPainter& painter, const MarkerPlan& plan, platform::Point origin,
                            int32_t dpi, MarkerKind kind, int64_t seconds);

}  // namespace glimtap
