#pragma once

#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"

namespace glimtap {

// One output as the desktop lays it out: its pixels in desktop coordinates and how many
// physical pixels a surface unit covers there.
struct OutputArea {
    platform::ScreenRect physical;
    int32_t scale = 1;
};

// Where a surface goes so that a rectangle of physical pixels lands exactly on an output:
// its margins from the output's top-left corner and its size in surface units, and the
// rectangle's place in the surface's buffer of `scale` pixels per unit.
struct SurfacePlacement {
    size_t output = 0;
    int32_t marginLeft = 0;
    int32_t marginTop = 0;
    int32_t width = 0;
    int32_t height = 0;
    QRect inBuffer;
};

// The placement on the output that holds most of `rect` (clipped to that output); nullopt
// when `rect` lies on no output.
std::optional<SurfacePlacement> PlaceOnOutputs(const platform::ScreenRect& rect,
                                               const std::vector<OutputArea>& outputs);

}  // namespace glimtap
