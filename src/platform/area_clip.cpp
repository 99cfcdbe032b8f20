#include "platform/area_clip.h"

#include <algorithm>
#include <cstddef>

namespace glimtap::platform {

ScreenRect VisiblePart(const ScreenRect& area, Size screen) {
    // 64-bit so that far-away areas cannot overflow left + width.
    const int64_t left = std::max<int64_t>(area.left, 0);
    const int64_t top = std::max<int64_t>(area.top, 0);
    const int64_t right = std::min<int64_t>(int64_t{area.left} + area.width, screen.width);
    const int64_t bottom = std::min<int64_t>(int64_t{area.top} + area.height, screen.height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

void PlaceInArea(const uint32_t* part_pixels, int32_t part_stride, const ScreenRect& part,
                 const ScreenRect& area, std::vector<uint32_t>& out) {
    const auto area_width = static_cast<size_t>(area.width);
    out.assign(area_width * static_cast<size_t>(area.height), 0);
    const auto column = static_cast<size_t>(int64_t{part.left} - area.left);
    for (int32_t row = 0; row < part.height; ++row) {
        const uint32_t* source = part_pixels + static_cast<ptrdiff_t>(row) * part_stride;
        const auto target_row = static_cast<size_t>(int64_t{part.top} - area.top + row);
        std::copy_n(source, part.width, out.data() + target_row * area_width + column);
    }
}

}  // namespace glimtap::platform
