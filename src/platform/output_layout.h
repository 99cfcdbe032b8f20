#pragma once

#include <vector>

#include "platform/geometry.h"

// Where a compositor's outputs lie on the desktop in pixels, from what it says of them in
// its layout units. Each output keeps its own pixels one to one, so nothing is resampled.
namespace glimtap::platform {

// One output as the compositor describes it.
struct OutputGeometry {
    ScreenRect units;       // its layout position and size, turned as the user sees it
    Size buffer;            // its mode: pixels before its transform
    int32_t transform = 0;  // as in ShownSize
};

// Physical pixels per layout unit of an output that shows `pixels` in `units`. The
// compositor tells only the layout size, rounded from pixels / scale: this is the simplest
// fraction that rounds to it, which is the scale a user sets (1.25, 1.5, 1.75, 2…).
double OutputScale(Size pixels, Size units);

// Each output's pixels on the desktop: its layout position times the largest
// pixels-per-unit of all outputs, its own size in pixels. Outputs that do not overlap in
// the layout never overlap here; a lower-scale output leaves a gap holding no pixels.
std::vector<ScreenRect> PlaceOutputs(const std::vector<OutputGeometry>& outputs);

// What to ask the compositor for to capture `part` (desktop pixels, on the output placed at
// `placed`): layout units map to whole pixels only at whole scales, so at other scales, and
// on turned outputs, the whole output is asked for and cut in pixels here.
struct CaptureRegion {
    bool whole = true;
    ScreenRect units;  // unless whole: in layout units from the output's top-left corner
    ScreenRect shown;  // the desktop pixels the compositor's buffer will show
    friend bool operator==(const CaptureRegion&, const CaptureRegion&) = default;
};
CaptureRegion RegionToCapture(const OutputGeometry& output, const ScreenRect& placed,
                              const ScreenRect& part);

}  // namespace glimtap::platform
