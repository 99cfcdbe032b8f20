#pragma once

#include <cstdint>
#include <string>

#include "engine/find_closest.h"

namespace glimtap::cli {

// "closest X Y needs tolerance N (P% of pixels within M)", M being the tolerance in use;
// P is rounded down to a tenth, so it reads 100 only when every pixel agrees.
std::string ClosestLine(const ClosestMiss& miss, int32_t tolerance);

// {"x":..,"y":..,"width":..,"height":..,"tolerance":..,"agreeing":..}, agreeing being the
// share of pixels within the tolerance in use, 0..1.
std::string ClosestJson(const ClosestMiss& miss);

}  // namespace glimtap::cli
