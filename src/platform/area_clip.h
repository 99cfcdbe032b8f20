#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"

// Clipping shared by every capture backend: screens refuse to hand out pixels they do not
// have, while callers may ask for areas that reach past the screen's edges.
namespace glimtap::platform {

// The part of `area` that lies on a screen of `screen` size (origin 0,0); width and
// height are 0 when nothing does.
ScreenRect VisiblePart(const ScreenRect& area, Size screen);

// Makes `out` an area-sized image (stride == area.width) that holds the pixels of `part`
// where it lies and zero everywhere else. `part_pixels` is the top-left pixel of `part`,
// rows `part_stride` pixels apart.
void PlaceInArea(const uint32_t* part_pixels, int32_t part_stride, const ScreenRect& part,
                 const ScreenRect& area, std::vector<uint32_t>& out);

}  // namespace glimtap::platform
