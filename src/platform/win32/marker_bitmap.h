#pragma once

#include <windows.h>

#include <cstdint>

#include "response/overlay_layout.h"

namespace glimtap::platform {

// Paints the marker that `plan` lays out for a screen of `dpi` dots per inch into `dc`, which
// holds a zeroed top-down 32-bit DIB section at `pixels` as large as plan.bounds, as a
// premultiplied picture for UpdateLayeredWindow: the band yellow, the frame red (blue for the
// closest miss), the countdown's box yellow in a frame of its own with `seconds` in black, all
// of it opaque; every other pixel, the hole above all, stays fully transparent.
void PaintMarkerBitmap(HDC dc, uint32_t* pixels, const MarkerPlan& plan, int32_t dpi,
                       MarkerKind kind, int64_t seconds);

}  // namespace glimtap::platform
