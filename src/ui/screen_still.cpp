#include "ui/screen_still.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/backends.h"

namespace glimtap {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColour = 0x00FFFFFF;

QImage CapturePicture(const platform::ScreenRect& screen) {
    try {
        const std::unique_ptr<platform::ScreenCapture> capture = platform::OpenScreenCapture();
        const std::optional<platform::ScreenImage> image = capture->Capture(screen);
        if (!image || image->width != screen.width || image->height != screen.height) return {};
        QImage picture(screen.width, screen.height, QImage::Format_RGB32);
        for (int32_t y = 0; y < screen.height; ++y) {
            const uint32_t* from =
                image->pixels + static_cast<size_t>(y) * static_cast<size_t>(screen.width);
            auto* to = reinterpret_cast<uint32_t*>(picture.scanLine(y));
            // The capture leaves the top byte undefined; Format_RGB32 wants it full.
            std::transform(from, from + screen.width, to,
                           [](uint32_t pixel) { return pixel | kOpaque; });
        }
        return picture;
    } catch (const platform::Unavailable&) {
        return {};
    } catch (const platform::ScreenLost&) {
        return {};
    }
}

}  // namespace

ScreenStill ScreenStill::Take() {
    // The X root window is the virtual screen; its origin is (0, 0).
    const platform::Size size = platform::OpenDesktop()->VirtualScreenSize();
    const platform::ScreenRect screen{0, 0, size.width, size.height};
    if (size.width < 1 || size.height < 1) return {screen, QImage()};
    return {screen, CapturePicture(screen)};
}

ScreenStill::ScreenStill(const platform::ScreenRect& screen, QImage picture)
    : screen_(screen), picture_(std::move(picture)) {}

std::optional<platform::ScreenImage> ScreenStill::Capture(const platform::ScreenRect& area) {
    if (picture_.isNull() || area.width < 1 || area.height < 1) return std::nullopt;
    cut_.assign(static_cast<size_t>(area.width) * static_cast<size_t>(area.height), 0);
    // 64 bits: an area may reach far beyond the screen.
    const int64_t left = std::max<int64_t>(area.left, screen_.left);
    const int64_t right =
        std::min<int64_t>(int64_t{area.left} + area.width, int64_t{screen_.left} + screen_.width);
    const int64_t top = std::max<int64_t>(area.top, screen_.top);
    const int64_t bottom =
        std::min<int64_t>(int64_t{area.top} + area.height, int64_t{screen_.top} + screen_.height);
    for (int64_t y = top; y < bottom; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            picture_.constScanLine(static_cast<int>(y - screen_.top)));
        uint32_t* to =
            cut_.data() + static_cast<size_t>(y - area.top) * static_cast<size_t>(area.width);
        for (int64_t x = left; x < right; ++x) to[x - area.left] = row[x - screen_.left] & kColour;
    }
    return platform::ScreenImage{cut_.data(), area.width, area.height};
}

}  // namespace glimtap
