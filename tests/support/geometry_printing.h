#pragma once

#include <ostream>

#include "platform/geometry.h"

// How failed expectations print geometry; found by argument-dependent lookup.
namespace glimtap::platform {

inline void PrintTo(const Point& point, std::ostream* out) { *out << "(" << point.x << ", " << point.y << ")"; }

inline void PrintTo(const ScreenRect& rect, std::ostream* out) {
    *out << "(" << rect.left << ", " << rect.top << ") " << rect.width << " x " << rect.height;
}

inline std::ostream& operator<<(std::ostream& out, const ScreenRect& rect) { return PrintTo(rect, &out), out; }

}  // namespace glimtap::platform
