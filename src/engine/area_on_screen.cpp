#include "engine/area_on_screen.h"

#include <algorithm>
#include <cstdint>

namespace glimtap {
namespace {

// "LEFT,TOP WIDTH×HEIGHT"
std::string RectText(const platform::ScreenRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) +
           "\u00D7" + std::to_string(r.height);
}

}  // namespace

std::optional<std::string> AreaOffScreen(const platform::ScreenRect& area,
                                         const platform::ScreenRect& screen) {
    // 64-bit: a stored area may reach far past the 32-bit range.
    const auto right = [](const platform::ScreenRect& r) { return int64_t{r.left} + r.width; };
    const auto bottom = [](const platform::ScreenRect& r) { return int64_t{r.top} + r.height; };
    const bool overlaps = std::min(right(area), right(screen)) > std::max(area.left, screen.left) &&
                          std::min(bottom(area), bottom(screen)) > std::max(area.top, screen.top);
    if (overlaps) return std::nullopt;
    return "the area " + RectText(area) + " lies outside the screen (" + RectText(screen) + ")";
}

}  // namespace glimtap
