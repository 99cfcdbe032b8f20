#pragma once

#include <vector>

#include "platform/geometry.h"

// Clipping shared by every capture backend: screens hand out only the pixels they have,
// while callers may ask for areas that reach past the screen's edges.
namespace glimtap::platform {

// The part of `area` that lies on a screen of `screen` size (origin 0,0); width and
// height are 0 when nothing does.
ScreenRect VisiblePart(const ScreenRect& area, Size screen);

// The part of `area` on `screen` (a monitor anywhere on the desktop); empty when none is.
ScreenRect Intersection(const ScreenRect& area, const ScreenRect& screen);

// The smallest rectangle holding all of `rects` (a desktop of several monitors); empty when
// there are none.
ScreenRect BoundingBox(const std::vector<ScreenRect>& rects);

}  // namespace glimtap::platform
