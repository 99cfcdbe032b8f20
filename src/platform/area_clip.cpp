#include "platform/area_clip.h"

#include <algorithm>
#include <cstdint>

namespace glimtap::platform {

ScreenRect VisiblePart(const ScreenRect& area, Size screen) {
    return Intersection(area, {0, 0, screen.width, screen.height});
}

ScreenRect Intersection(const ScreenRect& area, const ScreenRect& screen) {
    // 64-bit so that far-away areas cannot overflow left + width.
    const int64_t left = std::max<int64_t>(area.left, screen.left);
    const int64_t top = std::max<int64_t>(area.top, screen.top);
    const int64_t right =
        std::min(int64_t{area.left} + area.width, int64_t{screen.left} + screen.width);
    const int64_t bottom =
        std::min(int64_t{area.top} + area.height, int64_t{screen.top} + screen.height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

ScreenRect BoundingBox(const std::vector<ScreenRect>& rects) {
    if (rects.empty()) return {};
    int64_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (const ScreenRect& r : rects) {
        left = std::min<int64_t>(left, r.left);
        top = std::min<int64_t>(top, r.top);
        right = std::max<int64_t>(right, int64_t{r.left} + r.width);
        bottom = std::max<int64_t>(bottom, int64_t{r.top} + r.height);
    }
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

}  // namespace glimtap::platform
