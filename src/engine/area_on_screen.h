#pragma once

#include <optional>
#include <string>

#include "platform/geometry.h"

namespace glimtap {

// Why a search of `area` could never see a pixel: no part of it lies on `screen` ("the area
// 2000,2000 10×10 lies outside the screen (0,0 1920×1080)"); nullopt when some part does.
std::optional<std::string> AreaOffScreen(const platform::ScreenRect& area,
                                         const platform::ScreenRect& screen);

}  // namespace glimtap
