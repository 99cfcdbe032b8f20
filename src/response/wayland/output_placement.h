#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"

namespace glimtap {

// One output as the desktop lays it out: its pixels in desktop coordinates and how many
// physical pixels a surface unit covers there (OutputScale; whole when surfaces there can
// only take whole buffer scales).
struct OutputArea {
    platform::ScreenRect physical;
    double scale = 1;
};

// The pixels a surface of `units` covers from the output's corner: the compositor rounds
// unit edges times the scale to the nearest pixel, as wlroots does.
QSize PixelsOfUnits(QSize units, double scale);

// Where a surface goes so that a rectangle of physical pixels lands exactly on an output:
// its margins from the output's top-left corner and its size in surface units, the pixels
// those units cover (the size of its buffer, one pixel per pixel), and the rectangle's place
// in that buffer.
struct SurfacePlacement {
    size_t output = 0;
    int32_t marginLeft = 0;
    int32_t marginTop = 0;
    int32_t width = 0;
    int32_t height = 0;
    QSize buffer;
    QRect inBuffer;
};

// The placement on the output that holds most of `rect` (clipped to that output); nullopt
// when `rect` lies on no output.
std::optional<SurfacePlacement> PlaceOnOutputs(const platform::ScreenRect& rect,
                                               const std::vector<OutputArea>& outputs);

}  // namespace glimtap
