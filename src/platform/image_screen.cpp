#include "platform/image_screen.h"

#include <cstddef>
#include <stdexcept>
#include <utility>

#include "platform/area_clip.h"

namespace glimtap::platform {

ImageScreen::ImageScreen(std::vector<uint32_t> pixels, int32_t width, int32_t height)
    : image_(std::move(pixels)), size_{width, height} {
    if (width < 0 || height < 0 ||
        image_.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        throw std::invalid_argument("image pixels do not match its width and height");
    }
}

std::optional<ScreenImage> ImageScreen::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    const ScreenRect part = VisiblePart(area, size_);
    const uint32_t* partPixels =
        image_.data() + static_cast<size_t>(part.top) * static_cast<size_t>(size_.width) +
        static_cast<size_t>(part.left);
    PlaceInArea(partPixels, size_.width, part, area, areaPixels_);
    return ScreenImage{areaPixels_.data(), area.width, area.height};
}

}  // namespace glimtap::platform
