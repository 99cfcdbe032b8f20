#include "platform/image_screen.h"

#include <algorithm>
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
    if (part.width == 0) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    partPixels_.resize(static_cast<size_t>(part.width) * static_cast<size_t>(part.height));
    for (int32_t row = 0; row < part.height; ++row) {
        const uint32_t* source = image_.data() +
                                 static_cast<size_t>(part.top + row) * static_cast<size_t>(size_.width) +
                                 static_cast<size_t>(part.left);
        std::copy_n(source, part.width, partPixels_.data() + static_cast<size_t>(row) * static_cast<size_t>(part.width));
    }
    return ScreenImage{partPixels_.data(), part.width, part.height, part.left, part.top};
}

}  // namespace glimtap::platform
