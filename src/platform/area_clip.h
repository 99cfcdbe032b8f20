#pragma once

#include "platform/geometry.h"

// Clipping shared by every capture backend: screens hand out only the pixels they have,
// while callers may ask for areas that reach past the screen's edges.
namespace glimtap::platform {

// The part of `area` that lies on a screen of `screen` size (origin 0,0); width and
// height are 0 when nothing does.
ScreenRect VisiblePart(const ScreenRect& area, Size screen);

}  // namespace glimtap::platform
